// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/SrecRead.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "files/TextLines.h"

namespace tarpel::files {

namespace {

// Address bytes of the record types S0 .. S9; 0 for S4, which is reserved.
constexpr std::array<std::size_t, 10> AddressBytes = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

bool IsDataRecord(int type) { return type >= 1 && type <= 3; }
bool IsCountRecord(int type) { return type == 5 || type == 6; }
bool IsEndRecord(int type) { return type >= 7; }

std::optional<std::uint8_t> DigitValue(char ch) {
    if (ch >= '0' && ch <= '9') return static_cast<std::uint8_t>(ch - '0');
    if (ch >= 'A' && ch <= 'F') return static_cast<std::uint8_t>(ch - 'A' + 10);
    if (ch >= 'a' && ch <= 'f') return static_cast<std::uint8_t>(ch - 'a' + 10);
    return std::nullopt;
}

// The bytes that pairs of hexadecimal digits spell; nothing when a digit is missing or wrong.
std::optional<std::vector<std::uint8_t>> DecodePairs(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto high = DigitValue(text[i]);
        const auto low = DigitValue(text[i + 1]);
        if (!high || !low) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
    }
    return bytes;
}

std::string_view TrimEnd(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

class Reader {
public:
    Reader(std::span<std::uint8_t> buffer, std::uint32_t origin, std::span<std::uint8_t> held)
        : buffer_(buffer), origin_(origin), held_(held) {}

    // Applies one line; true when it ends the reading.
    bool Apply(std::string_view text) {
        ++lineNumber_;
        const std::string_view line = TrimEnd(text);
        if (line.empty()) return false;
        if (line.size() < 2 || (line[0] != 'S' && line[0] != 's') || line[1] < '0' || line[1] > '9') return Wrong();
        const int type = line[1] - '0';
        const std::size_t addressBytes = AddressBytes[type];
        const auto bytes = DecodePairs(line.substr(2));
        // The byte count covers address, data and checksum, and must be all the line holds.
        if (addressBytes == 0 || !bytes || bytes->empty() || std::size_t{(*bytes)[0]} != bytes->size() - 1 ||
            bytes->size() < 1 + addressBytes + 1) {
            return Wrong();
        }
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < bytes->size(); ++i) sum += (*bytes)[i];
        // One's complement of the low byte of the sum of count, address and data.
        bool valid = static_cast<std::uint8_t>(~sum) == bytes->back();
        std::uint32_t address = 0;
        for (std::size_t i = 1; i <= addressBytes; ++i) address = address << 8 | (*bytes)[i];
        const auto data = std::span(*bytes).subspan(1 + addressBytes, bytes->size() - addressBytes - 2);

        if (IsDataRecord(type)) {
            ++dataRecords_;
            Store(address, data);
        } else if (IsCountRecord(type)) {
            // A count that differs from what arrived means records were lost on the way.
            valid = valid && address == dataRecords_;
        }
        if (!valid) Wrong();
        return IsEndRecord(type);
    }

    SrecReadResult result;

private:
    bool Wrong() {
        if (result.wrongLines++ == 0) result.firstWrongLine = lineNumber_;
        return false;
    }

    void Store(std::uint32_t address, std::span<const std::uint8_t> data) {
        if (!data.empty()) result.hasData = true;
        for (std::size_t k = 0; k < data.size(); ++k) {
            // 64 bits, so that a record near the top of the 32-bit range does not wrap to 0.
            const std::uint64_t fileAddress = std::uint64_t{address} + k;
            const std::uint64_t position = fileAddress >= origin_ ? fileAddress - origin_ : fileAddress;
            result.dataEnd = std::max(result.dataEnd, position + 1);
            result.dataStart = std::min(result.dataStart, position);
            if (position < buffer_.size()) buffer_[static_cast<std::size_t>(position)] = data[k];
            if (position < held_.size()) held_[static_cast<std::size_t>(position)] = 1;
        }
    }

    std::span<std::uint8_t> buffer_;
    std::uint32_t origin_;
    std::span<std::uint8_t> held_;
    int lineNumber_ = 0;
    std::uint32_t dataRecords_ = 0;
};

}  // namespace

SrecReadResult SrecRead(const std::string& fileName, std::span<std::uint8_t> buffer, std::uint32_t origin,
                        std::span<std::uint8_t> held) {
    // A read error (a folder given as file name, a failing disk) counts as not readable, and
    // since the file is read before any record is applied, it leaves the buffer as it was.
    const auto text = ReadWholeFile(fileName);
    if (!text) return {};
    Reader reader(buffer, origin, held);
    TextLines lines(*text);
    int lineNumber = 0;
    bool ended = false;
    while (const auto line = lines.Next()) {
        ++lineNumber;
        // Records after the end are not read, but a file that goes on is likely two files run
        // together or one cut in the wrong place: the user hears of it.
        if (ended) {
            if (TrimEnd(line->text).empty()) continue;
            if (reader.result.linesAfterEnd++ == 0) reader.result.firstLineAfterEnd = lineNumber;
        } else {
            ended = reader.Apply(line->text);
        }
    }
    reader.result.opened = true;
    return reader.result;
}

}  // namespace tarpel::files
