#include "files/HexRead.h"

#include <algorithm>
#include <fstream>
#include <string_view>

#include "files/HexDigits.h"

namespace tarpel::files {

namespace {

constexpr char EndOfInput = '\x1A';  // Ctrl-Z, the old DOS end-of-file mark
constexpr std::size_t HeaderLength = 9;  // mark, count (2), address (4), type (2)
constexpr std::size_t ChecksumLength = 2;
constexpr int DataRecord = 0x00;
constexpr int EndRecord = 0x01;
constexpr int SegmentAddressRecord = 0x02;
constexpr int LinearAddressRecord = 0x04;

bool AllHexDigits(std::string_view text) { return std::all_of(text.begin(), text.end(), IsHexDigit); }

// A record as the format defines it: ":", then pairs of digits for count, address, type,
// exactly count data bytes and a checksum that makes all of them add up to 0 modulo 256.
bool IsValidRecord(std::string_view line) {
    if (line.size() < HeaderLength + ChecksumLength || line[0] != ':' || !AllHexDigits(line.substr(1))) return false;
    const std::size_t count = HexByteValue(line.substr(1, 2));
    if (line.size() != HeaderLength + 2 * count + ChecksumLength) return false;
    unsigned sum = 0;
    for (std::size_t at = 1; at < line.size(); at += 2) sum += HexByteValue(line.substr(at, 2));
    return (sum & 0xFF) == 0;
}

// A line that is plainly meant as a data record with data, whatever its checksum or length:
// what tells a HEX file from another kind of file that happens to be named .hex.
bool LooksLikeDataRecord(std::string_view line) {
    return line.size() >= HeaderLength + 2 && line[0] == ':' && AllHexDigits(line.substr(1, HeaderLength - 1)) &&
           HexByteValue(line.substr(7, 2)) == DataRecord && HexByteValue(line.substr(1, 2)) > 0;
}

class Reader {
public:
    Reader(std::int32_t limit, std::span<std::uint8_t> buffer, std::uint32_t origin)
        : limit_(limit), buffer_(buffer), origin_(origin) {}

    // Applies one line; true when it is an end record that ends the reading.
    bool Apply(std::string_view line, int lineNumber) {
        if (line.empty()) return false;  // blank lines are harmless
        if (!IsValidRecord(line)) {
            if (result.wrongLines++ == 0) result.firstWrongLine = lineNumber;
        }
        if (LooksLikeDataRecord(line)) result.hasData = true;
        return ApplyRecord(line);
    }

    ImageFileRead result;

private:
    bool ApplyRecord(std::string_view line) {
        if (line.size() < HeaderLength) return false;
        // The record mark is taken on trust: whatever the first character is, it is skipped.
        const int count = HexByteValue(line.substr(1, 2));
        const std::uint32_t offset = 256u * HexByteValue(line.substr(3, 2)) + HexByteValue(line.substr(5, 2));
        const int type = HexByteValue(line.substr(7, 2));
        std::string_view data = line.substr(HeaderLength);
        switch (type) {
        case DataRecord:
            StoreData(offset, count, data);
            return false;
        case EndRecord:
            // As ever, an end record whose address field lies above the limit is passed over.
            return static_cast<std::int64_t>(offset) <= limit_;
        case SegmentAddressRecord:
        case LinearAddressRecord:
            if (data.size() >= 4) {
                const std::uint64_t value = 256u * HexByteValue(data.substr(0, 2)) + HexByteValue(data.substr(2, 2));
                segmented_ = type == SegmentAddressRecord;
                base_ = segmented_ ? value << 4 : value << 16;
            }
            return false;
        default:
            return false;  // start address records and anything else
        }
    }

    std::uint64_t FullAddress(std::uint32_t offset, int k) const {
        // A segment address wraps within its 64 KiB; a linear one runs on.
        const std::uint64_t address = segmented_ ? base_ + ((offset + static_cast<std::uint32_t>(k)) & 0xFFFFu)
                                                 : base_ + offset + static_cast<std::uint64_t>(k);
        return address >= origin_ ? address - origin_ : address;
    }

    void StoreData(std::uint32_t offset, int count, std::string_view data) {
        // A record above the limit is dropped whole; one at or below it is stored whole.
        const bool stored = static_cast<std::int64_t>(FullAddress(offset, 0)) <= limit_;
        // The count decides, not the line: a short line stores what it has, a long one only count
        // bytes, and with count one too many the checksum becomes the last data byte.
        for (int k = 0; k < count && data.size() >= 2; ++k, data.remove_prefix(2)) {
            const std::uint64_t position = FullAddress(offset, k);
            result.dataEnd = std::max(result.dataEnd, position + 1);
            if (stored && position < buffer_.size()) buffer_[static_cast<std::size_t>(position)] = HexByteValue(data);
        }
    }

    std::int32_t limit_;
    std::span<std::uint8_t> buffer_;
    std::uint64_t origin_;
    std::uint64_t base_ = 0;
    bool segmented_ = false;
};

}  // namespace

ImageFileRead HexRead(const std::string& fileName, std::int32_t limit, std::span<std::uint8_t> buffer,
                      std::uint32_t origin) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file.is_open()) return {};
    Reader reader(limit, buffer, origin);
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line, '\n')) {
        ++lineNumber;
        bool lineEnded = !file.eof();
        bool lastLine = false;
        if (const auto stop = line.find(EndOfInput); stop != std::string::npos) {
            line.resize(stop);
            lineEnded = false;
            lastLine = true;
        }
        // Only CR LF ends a line with its CR; a CR on its own stays part of the text.
        if (lineEnded && !line.empty() && line.back() == '\r') line.pop_back();
        if (reader.Apply(line, lineNumber) || lastLine) break;
    }
    // A read error (a folder given as file name, a failing disk) counts as not readable.
    reader.result.opened = !file.bad();
    return reader.result;
}

}  // namespace tarpel::files
