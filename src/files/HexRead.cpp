#include "files/HexRead.h"

#include <fstream>
#include <string_view>

#include "files/HexDigits.h"

namespace tarpel::files {

namespace {

constexpr char EndOfInput = '\x1A';  // Ctrl-Z, the old DOS end-of-file mark
constexpr std::size_t HeaderLength = 9;  // mark, count (2), address (4), type (2)
constexpr int DataRecord = 0x00;
constexpr int EndRecord = 0x01;

// Applies one record to buffer; true when it is an end record within the limit.
bool ApplyRecord(std::string_view line, std::int32_t limit, std::span<std::uint8_t> buffer) {
    if (line.size() < HeaderLength) return false;
    // The record mark is taken on trust: whatever the first character is, it is skipped.
    const int count = HexByteValue(line.substr(1, 2));
    const std::int32_t address = 256 * HexByteValue(line.substr(3, 2)) + HexByteValue(line.substr(5, 2));
    // A record above the limit is dropped before its type is looked at, end records included.
    if (address > limit) return false;
    const int type = HexByteValue(line.substr(7, 2));
    if (type == EndRecord) return true;
    if (type != DataRecord) return false;  // segment, linear-address and start records
    std::string_view data = line.substr(HeaderLength);
    // The count decides, not the line: a short line stores what it has, a long one only count
    // bytes, and with count one too many the checksum becomes the last data byte.
    for (int k = 0; k < count && data.size() >= 2; ++k, data.remove_prefix(2)) {
        const std::size_t position = static_cast<std::size_t>(address) + static_cast<std::size_t>(k);
        if (position < buffer.size()) buffer[position] = HexByteValue(data);
    }
    return false;
}

}  // namespace

bool HexRead(const std::string& fileName, std::int32_t limit, std::span<std::uint8_t> buffer) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file.is_open()) return false;
    std::string line;
    while (std::getline(file, line, '\n')) {
        bool lineEnded = !file.eof();
        bool lastLine = false;
        if (const auto stop = line.find(EndOfInput); stop != std::string::npos) {
            line.resize(stop);
            lineEnded = false;
            lastLine = true;
        }
        // Only CR LF ends a line with its CR; a CR on its own stays part of the text.
        if (lineEnded && !line.empty() && line.back() == '\r') line.pop_back();
        if (ApplyRecord(line, limit, buffer) || lastLine) break;
    }
    // A read error (a folder given as file name, a failing disk) counts as not readable.
    return !file.bad();
}

}  // namespace tarpel::files
