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
    hw::AvrLink& link = frame.Link();
    const int size = static_cast<int>(image.size());
    for (int a = 0; a < size; ++a) {
        image[static_cast<std::size_t>(a)] =
            memory == DeviceMemory::Flash ? link.ReadFlashByte(a) : link.ReadEepromByte(a);
        if (frame.ShowProgress(MemoryGauge(memory), a, size)) {
            frame.StopCommand();
            return false;
        }
    }
    return true;
}

}  // namespace tarpel::avr
