// Feeds arbitrary file contents to the HEX reader and checks that it never writes outside
// its buffer: once into a buffer of exactly limit + 255 bytes, the room every caller gives,
// and once into a buffer far smaller than the limit. Guard bytes around each buffer must
// come back untouched; AddressSanitizer catches reads past the line.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "files/HexRead.h"

namespace {

constexpr std::int32_t Limit = 96;
constexpr std::size_t GuardSize = 64;
constexpr std::uint8_t Guard = 0xA5;
constexpr std::uint8_t Fill = 0xFF;

const std::string& InputFile() {
    static const std::string name = [] {
        char pattern[] = "/tmp/tarpel-hexread-fuzz-XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd < 0) std::abort();
        ::close(fd);
        return std::string(pattern);
    }();
    static const bool removeAtExit = [] {
        std::atexit([] { ::unlink(name.c_str()); });
        return true;
    }();
    (void)removeAtExit;
    return name;
}

void ReadGuarded(std::size_t bufferSize) {
    std::vector<std::uint8_t> memory(GuardSize + bufferSize + GuardSize, Guard);
    std::fill(memory.begin() + GuardSize, memory.end() - GuardSize, Fill);
    tarpel::files::HexRead(InputFile(), Limit, std::span(memory).subspan(GuardSize, bufferSize));
    for (std::size_t i = 0; i < GuardSize; ++i) {
        if (memory[i] != Guard || memory[memory.size() - 1 - i] != Guard) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(InputFile().c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    ReadGuarded(static_cast<std::size_t>(Limit) + 255);
    ReadGuarded(static_cast<std::size_t>(Limit) / 3);
    return 0;
}
