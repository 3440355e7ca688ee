// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ChipContents.h"

#include <array>

#include "avr/DeviceFuses.h"
#include "avr/DeviceMemory.h"

namespace tarpel::avr {

namespace {

// avr-gcc's architecture of each device of the table, in DeviceKind order: the AT90S parts are
// avr2, the ATmega8515 avr4 (it has MUL and MOVW), the ATmega162 avr5 (16 KiB: JMP and CALL too).
constexpr std::array<std::uint32_t, DeviceTable.size()> Architectures{2, 2, 4, 5};
static_assert(DeviceTable[2].kind == DeviceKind::ATmega8515, "avr4 is the ATmega8515's");
static_assert(DeviceTable[3].kind == DeviceKind::ATmega162, "avr5 is the ATmega162's");

}  // namespace

bool ReadChipContents(CommandFrame& frame, ElfContents& contents) {
    const DeviceType& device = frame.Device();
    contents = {};
    contents.signature.assign(device.signature.begin(), device.signature.end());
    contents.architecture = Architectures[static_cast<std::size_t>(device.kind)];
    contents.flash.assign(static_cast<std::size_t>(device.flashSize), 0xFF);
    if (!ReadDeviceMemory(frame, DeviceMemory::Flash, contents.flash)) return false;
    contents.eeprom.assign(static_cast<std::size_t>(device.eepromSize), 0xFF);
    if (!ReadDeviceMemory(frame, DeviceMemory::Eeprom, contents.eeprom)) return false;
    if (const FuseLayout* fuses = FuseLayoutOf(device.kind))
        contents.fuses = FuseSection(ReadDeviceFuses(frame.Link(), *fuses));
    // A board that stopped working during the fuse reads gave no fuse bytes.
    if (!frame.Link().Lines().PortFailed()) return true;
    frame.StopCommand();
    return false;
}

}  // namespace tarpel::avr
