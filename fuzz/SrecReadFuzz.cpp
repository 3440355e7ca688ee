// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary file contents to the S-record reader and checks that it never writes outside
// its buffer, whatever the addresses, and that what it reports hangs together. Guard bytes
// around the buffer must come back untouched; AddressSanitizer catches reads past the line.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "ReadFuzzHarness.h"
#include "files/SrecRead.h"

namespace {

using tarpel::fuzz::GuardedBuffer;

constexpr std::size_t BufferSize = 96;

// Reads with addresses from origin on counted from 0; an origin near the top of the 32-bit
// range is where an address plus a record's length would wrap.
void ReadGuarded(std::uint32_t origin) {
    GuardedBuffer memory(BufferSize);
    const auto buffer = memory.Buffer();
    const auto result = tarpel::files::SrecRead(tarpel::fuzz::InputFile(), buffer, origin);
    memory.CheckGuards();
    if (!result.opened) std::abort();
    if ((result.wrongLines == 0) != (result.firstWrongLine == 0)) std::abort();
    // A byte changed in the buffer must be data the result owns up to.
    const auto changed = std::find_if(buffer.rbegin(), buffer.rend(), [](std::uint8_t b) { return b != GuardedBuffer::Fill; });
    if (changed != buffer.rend()) {
        const auto position = static_cast<std::uint64_t>(buffer.rend() - changed - 1);
        if (!result.hasData || result.dataEnd <= position) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarpel::fuzz::WriteInputFile(data, size);
    ReadGuarded(0);
    ReadGuarded(0x810000);
    ReadGuarded(0xFFFFFFF0);
    return 0;
}
