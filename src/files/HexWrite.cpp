// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/HexWrite.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "files/ImageTextWrite.h"

namespace tarpel::files {

namespace {

constexpr std::int32_t BytesPerRecord = 16;
constexpr std::string_view EndRecordLine = ":00000001FF\r\n";

}  // namespace

std::string HexText(std::span<const std::uint8_t> bytes) {
    // ":" + count + address + type + 16 data bytes + checksum + CR LF
    constexpr std::size_t fullLineLength = 1 + 2 + 4 + 2 + 2 * BytesPerRecord + 2 + 2;
    std::string text;
    text.reserve((bytes.size() / BytesPerRecord + 1) * fullLineLength + EndRecordLine.size());
    // Each record is put together in a line buffer and appended whole.
    std::array<char, fullLineLength> line;
    for (std::size_t address = 0; address < bytes.size(); address += BytesPerRecord) {
        // Past 64 KiB each 64 KiB segment opens with an extended linear address record (type 04),
        // which gives the upper 16 bits of the addresses that follow.
        if (address != 0 && (address & 0xFFFF) == 0) {
            const auto upperHigh = static_cast<std::uint8_t>(address >> 24);
            const auto upperLow = static_cast<std::uint8_t>(address >> 16);
            char* at = line.data();
            *at++ = ':';
            for (const std::uint8_t value : {std::uint8_t{0x02}, std::uint8_t{0x00}, std::uint8_t{0x00},
                                             std::uint8_t{0x04}, upperHigh, upperLow})
                at = PutHexByte(at, value);
            at = PutHexByte(at, static_cast<std::uint8_t>(0x100 - ((0x06 + upperHigh + upperLow) & 0xFF)));
            *at++ = '\r';
            *at++ = '\n';
            text.append(line.data(), at);
        }
        const auto record = bytes.subspan(address, std::min<std::size_t>(BytesPerRecord, bytes.size() - address));
        const auto count = static_cast<std::uint8_t>(record.size());
        const auto addressHigh = static_cast<std::uint8_t>(address >> 8);
        const auto addressLow = static_cast<std::uint8_t>(address & 0xFF);
        unsigned sum = count + addressHigh + addressLow;  // the type 00 adds nothing
        char* at = line.data();
        *at++ = ':';
        at = PutHexByte(at, count);
        at = PutHexByte(at, addressHigh);
        at = PutHexByte(at, addressLow);
        at = PutHexByte(at, 0x00);
        for (const std::uint8_t value : record) {
            at = PutHexByte(at, value);
            sum += value;
        }
        // Two's complement, so that all bytes of the record add up to 0 modulo 256.
        at = PutHexByte(at, static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
        *at++ = '\r';
        *at++ = '\n';
        text.append(line.data(), at);
    }
    text.append(EndRecordLine);
    return text;
}

bool HexWrite(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count) {
    return WriteImageText(fileName, buffer, count, HexText);
}

}  // namespace tarpel::files
