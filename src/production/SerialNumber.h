// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where a production run puts each chip's serial number and how it is written there:
// "[eeprom:|flash:]ADDRESS[:LENGTH][:le|be|ascii|bcd]", the AVR's EEPROM, 4 bytes and
// little-endian unless said otherwise. ADDRESS is decimal or 0x hexadecimal. A 24Cxx has one
// memory, which either prefix names.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarpel::production {

enum class SerialMemory { Eeprom, Flash };
enum class SerialEncoding { LittleEndian, BigEndian, Ascii, Bcd };

struct SerialPlace {
    SerialMemory memory = SerialMemory::Eeprom;
    std::uint32_t address = 0;
    std::uint32_t length = 4;
    SerialEncoding encoding = SerialEncoding::LittleEndian;
};

// The place a --serial value names, or nothing with `error` saying what is wrong in it.
std::optional<SerialPlace> ParseSerialPlace(const std::string& text, std::string& error);

// The number's bytes as the place writes them: binary in LENGTH bytes, ASCII decimal digits
// right-aligned with leading zeros, or two BCD digits a byte, most significant first. Nothing
// when the number does not fit in LENGTH bytes.
std::optional<std::vector<std::uint8_t>> EncodeSerial(std::uint64_t number, const SerialPlace& place);

// The largest number the place holds.
std::uint64_t LargestSerial(const SerialPlace& place);

}  // namespace tarpel::production
