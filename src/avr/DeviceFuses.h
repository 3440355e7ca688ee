// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Each device's fuse bytes as its datasheet lays them out: how many there are, their fields by
// the datasheet's names and which clock sources the board's square wave on XTAL1 cannot drive.
// The ATmega8515's bits are also the fuse panel's (FuseLists, FuseMapping); a device with other
// bits is read, printed and written here by its own table.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "avr/DeviceTable.h"
#include "avr/FuseMemory.h"

namespace tarpel::avr {

// One field of a fuse byte: byte 0 is the low byte, 1 the high, 2 the extended.
struct FuseField {
    std::string_view name;  // the datasheet's, "SUT1:0" for a field of several bits
    int byte;
    std::uint8_t mask;
    // SPIEN: programmed it lets this programmer in. Every write keeps it so, whatever is asked.
    bool keptProgrammed = false;
};

// A run of CKSEL values that select one clock source.
struct ClockSource {
    std::uint8_t lowestCksel;
    std::uint8_t highestCksel;
    std::string_view caption;
    bool needsOscillatorParts;  // a crystal, a resonator or an RC pair on XTAL1: not this board's
};

struct FuseLayout {
    int byteCount;                        // 2: low and high; 3: also the extended byte
    bool panelBits;                       // the fuse panel's bits (the ATmega8515's)
    std::span<const FuseField> fields;    // empty where the panel shows them
    std::span<const ClockSource> clocks;  // empty where the panel's clock list tells
};

// The device's layout, or null for a device without fuse bytes over the serial interface.
const FuseLayout* FuseLayoutOf(DeviceKind kind);

// The device of the table whose fuses are `byteCount` bytes long and not the panel's, if any:
// what a .fuse section of that length was built for.
std::optional<DeviceKind> DeviceWithFuseBytes(std::size_t byteCount);

// The clock source a CKSEL value selects on this device, as the confirmation names it, and
// whether the board can drive it.
ClockSource ClockSourceOf(const FuseLayout& layout, std::uint8_t cksel);

// Reads the device's fuse bytes, the extended one when it has one.
FuseBytes ReadDeviceFuses(link::AvrLink& link, const FuseLayout& layout);

// A field's value, right-aligned, and the bytes with it set to `value`.
unsigned FieldValue(FuseBytes bytes, const FuseField& field);
FuseBytes WithFieldValue(FuseBytes bytes, const FuseField& field, unsigned value);

// "0010", and for the clock field also its source: "0010 (IntRC: 8 Mhz)".
std::string FieldValueText(const FuseLayout& layout, const FuseField& field, unsigned value);

// The field of that name: the datasheet's whole ("CKSEL3:0") or without its bit range ("cksel"),
// in any case; null for a name the layout does not have.
const FuseField* FieldNamed(const FuseLayout& layout, std::string_view name);

// The bytes with every field that must stay programmed (SPIEN) programmed.
FuseBytes KeepingProgrammerIn(const FuseLayout& layout, FuseBytes bytes);

// The bytes of a .fuse section (2 or 3); nothing for another length.
std::optional<FuseBytes> FuseBytesOf(std::span<const std::uint8_t> section);
std::vector<std::uint8_t> FuseSection(FuseBytes bytes);

// "FuseLow $E1 FuseHigh $D9", with " FuseExt $FF" for a device with three bytes.
std::string FuseBytesText(FuseBytes bytes);

// The fields of a layout with their values, one a line: "CKSEL3:0 = 0010".
std::string FuseFieldsText(const FuseLayout& layout, FuseBytes bytes);

}  // namespace tarpel::avr
