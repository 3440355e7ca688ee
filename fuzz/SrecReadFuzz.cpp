// Feeds arbitrary file contents to the S-record reader and checks that it never writes outside
// its buffer, whatever the addresses, and that what it reports hangs together. Guard bytes
// around the buffer must come back untouched; AddressSanitizer catches reads past the line.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "files/SrecRead.h"

namespace {

constexpr std::size_t BufferSize = 96;
constexpr std::size_t GuardSize = 64;
constexpr std::uint8_t Guard = 0xA5;
constexpr std::uint8_t Fill = 0xFF;

const std::string& InputFile() {
    static const std::string name = [] {
        char pattern[] = "/tmp/tarpel-srecread-fuzz-XXXXXX";
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

// Reads with addresses from origin on counted from 0; an origin near the top of the 32-bit
// range is where an address plus a record's length would wrap.
void ReadGuarded(std::uint32_t origin) {
    std::vector<std::uint8_t> memory(GuardSize + BufferSize + GuardSize, Guard);
    std::fill(memory.begin() + GuardSize, memory.end() - GuardSize, Fill);
    const auto result = tarpel::files::SrecRead(InputFile(), std::span(memory).subspan(GuardSize, BufferSize), origin);
    for (std::size_t i = 0; i < GuardSize; ++i) {
        if (memory[i] != Guard || memory[memory.size() - 1 - i] != Guard) std::abort();
    }
    if (!result.opened) std::abort();
    if ((result.wrongLines == 0) != (result.firstWrongLine == 0)) std::abort();
    // A byte changed in the buffer must be data the result owns up to.
    const auto changed = std::find_if(memory.rbegin() + GuardSize, memory.rend() - GuardSize,
                                      [](std::uint8_t b) { return b != Fill; });
    if (changed != memory.rend() - GuardSize) {
        const auto position = static_cast<std::uint64_t>(memory.rend() - GuardSize - changed - 1);
        if (!result.hasData || result.dataEnd <= position) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(InputFile().c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    ReadGuarded(0);
    ReadGuarded(0x810000);
    ReadGuarded(0xFFFFFFF0);
    return 0;
}
