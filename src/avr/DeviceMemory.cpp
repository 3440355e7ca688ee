// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/DeviceMemory.h"

namespace tarpel::avr {

int MemorySize(const CommandFrame& frame, DeviceMemory memory) {
    return memory == DeviceMemory::Flash ? frame.FlashSize() : frame.EepromSize();
}

shell::Gauge MemoryGauge(DeviceMemory memory) {
    return memory == DeviceMemory::Flash ? shell::Gauge::Flash : shell::Gauge::Eeprom;
}

const ImageLimits& MemoryFileLimits(DeviceMemory memory) {
    return memory == DeviceMemory::Flash ? FlashImageLimits : EepromImageLimits;
}

bool ReadDeviceMemory(CommandFrame& frame, DeviceMemory memory, std::span<std::uint8_t> image) {
    link::AvrLink& link = frame.Link();
    const int size = static_cast<int>(image.size());
    // One run of reads: through a USB adapter the bytes come back a block at a time instead of a
    // round trip each; on a parallel port each is stored and shown as soon as it is read.
    bool cancelled = false;
    const auto store = [&](int a, std::uint8_t value) {
        image[static_cast<std::size_t>(a)] = value;
        cancelled = frame.ShowProgress(MemoryGauge(memory), a, size);
        return !cancelled;
    };
    if (memory == DeviceMemory::Flash) link.ReadFlashRun(0, size, store);
    else link.ReadEepromRun(0, size, store);
    if (cancelled) {
        frame.StopCommand();
        return false;
    }
    return true;
}

}  // namespace tarpel::avr
