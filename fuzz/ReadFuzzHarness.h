// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the fuzz targets of the image file readers share: the fuzzer's input written to a
// temporary file for the reader to open (removed at exit), and a buffer between guard bytes
// that must come back untouched, so that a write outside the buffer aborts the run.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace tarpel::fuzz {

// The file every run of this target writes its input to.
inline const std::string& InputFile() {
    static const std::string name = [] {
        char pattern[] = "/tmp/tarpel-read-fuzz-XXXXXX";
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

inline void WriteInputFile(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(InputFile().c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

// A buffer of the given size filled with Fill, between guards of GuardSize bytes.
class GuardedBuffer {
public:
    static constexpr std::size_t GuardSize = 64;
    static constexpr std::uint8_t Guard = 0xA5;
    static constexpr std::uint8_t Fill = 0xFF;

    explicit GuardedBuffer(std::size_t size) : memory_(GuardSize + size + GuardSize, Guard) {
        std::fill(memory_.begin() + GuardSize, memory_.end() - GuardSize, Fill);
    }

    std::span<std::uint8_t> Buffer() { return std::span(memory_).subspan(GuardSize, memory_.size() - 2 * GuardSize); }

    // Aborts when a byte of either guard changed.
    void CheckGuards() const {
        for (std::size_t i = 0; i < GuardSize; ++i) {
            if (memory_[i] != Guard || memory_[memory_.size() - 1 - i] != Guard) std::abort();
        }
    }

private:
    std::vector<std::uint8_t> memory_;
};

}  // namespace tarpel::fuzz
