// SPDX-License-Identifier: GPL-2.0-or-later
#include "production/SerialNumber.h"

#include <limits>
#include <string_view>

#include "shell/Fill.h"
#include "shell/NumberText.h"
#include "shell/Translate.h"

namespace tarpel::production {

namespace {

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t at = 0;;) {
        const std::size_t colon = text.find(':', at);
        parts.push_back(text.substr(at, colon - at));
        if (colon == std::string_view::npos) return parts;
        at = colon + 1;
    }
}

// Decimal digits (ASCII and BCD) or bits (binary) the place's bytes hold.
std::uint32_t Digits(const SerialPlace& place) {
    switch (place.encoding) {
        case SerialEncoding::Ascii: return place.length;
        case SerialEncoding::Bcd: return place.length * 2;
        default: return 0;
    }
}

}  // namespace

std::optional<SerialPlace> ParseSerialPlace(const std::string& text, std::string& error) {
    SerialPlace place;
    std::vector<std::string_view> parts = Split(text);
    if (parts.front() == "eeprom" || parts.front() == "flash") {
        place.memory = parts.front() == "flash" ? SerialMemory::Flash : SerialMemory::Eeprom;
        parts.erase(parts.begin());
    }
    const auto wrong = [&] {
        error = shell::Fill(Tr("--serial %1: se da como [eeprom:|flash:]DIRECCION[:LONGITUD][:le|be|ascii|bcd]"),
                            {text});
        return std::nullopt;
    };
    if (parts.empty() || parts.size() > 3) return wrong();
    const auto address = shell::NumberOf(parts[0]);
    if (!address || *address > 0xFFFFFFFF) return wrong();
    place.address = static_cast<std::uint32_t>(*address);
    std::size_t next = 1;
    if (next < parts.size()) {
        if (const auto length = shell::NumberOf(parts[next])) {
            if (*length < 1 || *length > 20) return wrong();
            place.length = static_cast<std::uint32_t>(*length);
            ++next;
        }
    }
    if (next < parts.size()) {
        const std::string_view name = parts[next++];
        if (name == "le") place.encoding = SerialEncoding::LittleEndian;
        else if (name == "be") place.encoding = SerialEncoding::BigEndian;
        else if (name == "ascii") place.encoding = SerialEncoding::Ascii;
        else if (name == "bcd") place.encoding = SerialEncoding::Bcd;
        else return wrong();
    }
    if (next != parts.size()) return wrong();
    // Binary numbers are 64 bits at most; digits stop at the 20 a 64-bit number can have.
    if ((place.encoding == SerialEncoding::LittleEndian || place.encoding == SerialEncoding::BigEndian) &&
        place.length > 8) {
        error = shell::Fill(Tr("--serial %1: un numero binario ocupa 8 bytes como mucho"), {text});
        return std::nullopt;
    }
    if (Digits(place) > 20) {
        error = shell::Fill(Tr("--serial %1: un numero ocupa 20 cifras como mucho"), {text});
        return std::nullopt;
    }
    return place;
}

std::uint64_t LargestSerial(const SerialPlace& place) {
    if (const std::uint32_t digits = Digits(place)) {
        std::uint64_t largest = 0;
        for (std::uint32_t i = 0; i < digits; ++i) {
            if (largest > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) return std::numeric_limits<std::uint64_t>::max();
            largest = largest * 10 + 9;
        }
        return largest;
    }
    return place.length >= 8 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << (8 * place.length)) - 1;
}

std::optional<std::vector<std::uint8_t>> EncodeSerial(std::uint64_t number, const SerialPlace& place) {
    if (number > LargestSerial(place)) return std::nullopt;
    std::vector<std::uint8_t> bytes(place.length);
    switch (place.encoding) {
        case SerialEncoding::LittleEndian:
            for (auto& byte : bytes) byte = static_cast<std::uint8_t>(number), number >>= 8;
            break;
        case SerialEncoding::BigEndian:
            for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte) *byte = static_cast<std::uint8_t>(number), number >>= 8;
            break;
        case SerialEncoding::Ascii:
            for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte)
                *byte = static_cast<std::uint8_t>('0' + number % 10), number /= 10;
            break;
        case SerialEncoding::Bcd:
            for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte) {
                *byte = static_cast<std::uint8_t>(number % 10 | (number / 10 % 10) << 4);
                number /= 100;
            }
            break;
    }
    return bytes;
}

}  // namespace tarpel::production
