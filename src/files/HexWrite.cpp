#include "files/HexWrite.h"

#include <algorithm>
#include <string_view>

#include "files/AtomicFile.h"

namespace tarpel::files {

namespace {

constexpr std::int32_t MaxCount = 65536;
constexpr std::int32_t BytesPerRecord = 16;
constexpr std::string_view EndRecordLine = ":00000001FF\r\n";

void AppendByte(std::string& text, std::uint8_t value) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    text.push_back(digits[value >> 4]);
    text.push_back(digits[value & 0x0F]);
}

std::string HexText(std::span<const std::uint8_t> bytes) {
    // ":" + count + address + type + 16 data bytes + checksum + CR LF
    constexpr std::size_t fullLineLength = 1 + 2 + 4 + 2 + 2 * BytesPerRecord + 2 + 2;
    std::string text;
    text.reserve((bytes.size() / BytesPerRecord + 1) * fullLineLength + EndRecordLine.size());
    for (std::size_t address = 0; address < bytes.size(); address += BytesPerRecord) {
        const auto record = bytes.subspan(address, std::min<std::size_t>(BytesPerRecord, bytes.size() - address));
        const auto count = static_cast<std::uint8_t>(record.size());
        const auto addressHigh = static_cast<std::uint8_t>(address >> 8);
        const auto addressLow = static_cast<std::uint8_t>(address & 0xFF);
        unsigned sum = count + addressHigh + addressLow;  // the type 00 adds nothing
        text.push_back(':');
        AppendByte(text, count);
        AppendByte(text, addressHigh);
        AppendByte(text, addressLow);
        AppendByte(text, 0x00);
        for (const std::uint8_t value : record) {
            AppendByte(text, value);
            sum += value;
        }
        // Two's complement, so that all bytes of the record add up to 0 modulo 256.
        AppendByte(text, static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
        text.append("\r\n");
    }
    text.append(EndRecordLine);
    return text;
}

}  // namespace

bool HexWrite(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count) {
    if (count < 0 || count > MaxCount || static_cast<std::size_t>(count) > buffer.size()) return false;
    const std::string text = HexText(buffer.first(static_cast<std::size_t>(count)));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return WriteFileAtomically(fileName, std::span(bytes, text.size()));
}

}  // namespace tarpel::files
