// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary file contents to the HEX reader and checks that it never writes outside
// its buffer: once into a buffer of exactly limit + 255 bytes, the room every caller gives,
// and once into a buffer far smaller than the limit. Guard bytes around each buffer must
// come back untouched; AddressSanitizer catches reads past the line.
#include <cstdint>

#include "ReadFuzzHarness.h"
#include "files/HexRead.h"

namespace {

using tarpel::fuzz::GuardedBuffer;

constexpr std::int32_t Limit = 96;

void ReadGuarded(std::size_t bufferSize) {
    GuardedBuffer memory(bufferSize);
    tarpel::files::HexRead(tarpel::fuzz::InputFile(), Limit, memory.Buffer());
    memory.CheckGuards();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarpel::fuzz::WriteInputFile(data, size);
    ReadGuarded(static_cast<std::size_t>(Limit) + 255);
    ReadGuarded(static_cast<std::size_t>(Limit) / 3);
    return 0;
}
