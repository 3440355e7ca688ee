// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/SrecWrite.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "files/ImageTextWrite.h"

namespace tarpel::files {

namespace {

constexpr std::size_t BytesPerRecord = 16;
// The header names the program that wrote the file, as other tools put their own name there.
constexpr std::string_view HeaderText = "tarpel";

// One record with a 16-bit address (24-bit for the types S2 and S8) and at most BytesPerRecord
// data bytes: type, count, address, data, checksum, CR LF. It is put together in a line buffer
// and appended whole.
void AppendRecord(std::string& text, char type, std::uint32_t address, std::span<const std::uint8_t> data) {
    std::array<char, 2 + 2 + 6 + 2 * BytesPerRecord + 2 + 2> line;
    const int addressBytes = type == '2' || type == '8' ? 3 : 2;
    const auto count = static_cast<std::uint8_t>(addressBytes + data.size() + 1);
    unsigned sum = count;
    char* at = line.data();
    *at++ = 'S';
    *at++ = type;
    at = PutHexByte(at, count);
    for (int k = addressBytes - 1; k >= 0; --k) {
        const auto part = static_cast<std::uint8_t>((address >> (8 * k)) & 0xFF);
        at = PutHexByte(at, part);
        sum += part;
    }
    for (const std::uint8_t value : data) {
        at = PutHexByte(at, value);
        sum += value;
    }
    // One's complement of the low byte of the sum of count, address and data.
    at = PutHexByte(at, static_cast<std::uint8_t>(~sum));
    *at++ = '\r';
    *at++ = '\n';
    text.append(line.data(), at);
}

std::string SrecText(std::span<const std::uint8_t> bytes) {
    // "S1" + count + address + 16 data bytes + checksum + CR LF
    constexpr std::size_t fullLineLength = 2 + 2 + 4 + 2 * BytesPerRecord + 2 + 2;
    std::string text;
    text.reserve((bytes.size() / BytesPerRecord + 2) * fullLineLength);
    const auto* header = reinterpret_cast<const std::uint8_t*>(HeaderText.data());
    AppendRecord(text, '0', 0, std::span(header, HeaderText.size()));
    // Images past 64 KiB take 24-bit addresses throughout: S2 data records and an S8 end.
    const bool wide = bytes.size() > 0x10000;
    for (std::size_t address = 0; address < bytes.size(); address += BytesPerRecord) {
        const auto record = bytes.subspan(address, std::min(BytesPerRecord, bytes.size() - address));
        AppendRecord(text, wide ? '2' : '1', static_cast<std::uint32_t>(address), record);
    }
    AppendRecord(text, wide ? '8' : '9', 0, {});
    return text;
}

}  // namespace

bool SrecWrite(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count) {
    return WriteImageText(fileName, buffer, count, SrecText);
}

}  // namespace tarpel::files
