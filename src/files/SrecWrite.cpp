#include "files/SrecWrite.h"

#include <algorithm>
#include <string_view>

#include "files/AtomicFile.h"

namespace tarpel::files {

namespace {

constexpr std::int32_t MaxCount = 65536;
constexpr std::size_t BytesPerRecord = 16;
// The header names the program that wrote the file, as other tools put their own name there.
constexpr std::string_view HeaderText = "tarpel";

void AppendByte(std::string& text, std::uint8_t value) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    text.push_back(digits[value >> 4]);
    text.push_back(digits[value & 0x0F]);
}

// One record with a 16-bit address: type, count, address, data, checksum, CR LF.
void AppendRecord(std::string& text, char type, std::uint16_t address, std::span<const std::uint8_t> data) {
    const auto count = static_cast<std::uint8_t>(2 + data.size() + 1);
    const auto addressHigh = static_cast<std::uint8_t>(address >> 8);
    const auto addressLow = static_cast<std::uint8_t>(address & 0xFF);
    unsigned sum = count + addressHigh + addressLow;
    text.push_back('S');
    text.push_back(type);
    AppendByte(text, count);
    AppendByte(text, addressHigh);
    AppendByte(text, addressLow);
    for (const std::uint8_t value : data) {
        AppendByte(text, value);
        sum += value;
    }
    // One's complement of the low byte of the sum of count, address and data.
    AppendByte(text, static_cast<std::uint8_t>(~sum));
    text.append("\r\n");
}

std::string SrecText(std::span<const std::uint8_t> bytes) {
    // "S1" + count + address + 16 data bytes + checksum + CR LF
    constexpr std::size_t fullLineLength = 2 + 2 + 4 + 2 * BytesPerRecord + 2 + 2;
    std::string text;
    text.reserve((bytes.size() / BytesPerRecord + 2) * fullLineLength);
    const auto* header = reinterpret_cast<const std::uint8_t*>(HeaderText.data());
    AppendRecord(text, '0', 0, std::span(header, HeaderText.size()));
    for (std::size_t address = 0; address < bytes.size(); address += BytesPerRecord) {
        const auto record = bytes.subspan(address, std::min(BytesPerRecord, bytes.size() - address));
        AppendRecord(text, '1', static_cast<std::uint16_t>(address), record);
    }
    AppendRecord(text, '9', 0, {});
    return text;
}

}  // namespace

bool SrecWrite(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count) {
    if (count < 0 || count > MaxCount || static_cast<std::size_t>(count) > buffer.size()) return false;
    const std::string text = SrecText(buffer.first(static_cast<std::size_t>(count)));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return WriteFileAtomically(fileName, std::span(bytes, text.size()));
}

}  // namespace tarpel::files
