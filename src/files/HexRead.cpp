// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/HexRead.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "files/HexDigits.h"
#include "files/TextLines.h"

namespace tarpel::files {

namespace {

constexpr std::size_t HeaderLength = 9;  // mark, count (2), address (4), type (2)
constexpr std::size_t ChecksumLength = 2;
// Count, address (2), type, 255 data bytes at most, checksum: all a valid record holds.
constexpr std::size_t MaxRecordBytes = 1 + 2 + 1 + 255 + 1;
constexpr int DataRecord = 0x00;
constexpr int EndRecord = 0x01;
constexpr int SegmentAddressRecord = 0x02;
constexpr int LinearAddressRecord = 0x04;

// The byte fields of a line (never empty) after its first character, decoded once: every pair of characters
// read as HexByteValue reads it (a character that is no digit counts as 0), as many pairs as
// the line holds whole, up to what the longest valid record needs. Only the pairs read are
// ever looked at, so the rest of the array is left as it is.
class Fields {
public:
    explicit Fields(std::string_view line) : line_(line) {
        pairs_ = std::min((line.size() - 1) / 2, MaxRecordBytes);
        bool digits = true;
        for (std::size_t i = 0; i < pairs_; ++i) {
            const char high = line[1 + 2 * i];
            const char low = line[2 + 2 * i];
            if (!IsHexDigit(high) || !IsHexDigit(low)) digits = false;
            bytes_[i] = static_cast<std::uint8_t>(16 * HexDigitValue(high) + HexDigitValue(low));
            if (i == 3) headerDigits_ = digits;
        }
        pairsDigits_ = digits;
    }

    std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }
    // Whole pairs read after the header's count, address and type.
    std::size_t DataPairs() const { return pairs_ > 4 ? pairs_ - 4 : 0; }

    // A record as the format defines it: ":", then pairs of digits for count, address, type,
    // exactly count data bytes and a checksum that makes all of them add up to 0 modulo 256.
    bool IsValidRecord() const {
        if (line_.size() < HeaderLength + ChecksumLength || line_[0] != ':') return false;
        // With this length every character after the mark belongs to a pair that was read.
        if (line_.size() != HeaderLength + 2 * std::size_t{bytes_[0]} + ChecksumLength || !pairsDigits_) return false;
        unsigned sum = 0;
        for (std::size_t i = 0; i < pairs_; ++i) sum += bytes_[i];
        return (sum & 0xFF) == 0;
    }

    // A line that is plainly meant as a data record with data, whatever its checksum or length:
    // what tells a HEX file from another kind of file that happens to be named .hex.
    bool LooksLikeDataRecord() const {
        return line_.size() >= HeaderLength + 2 && line_[0] == ':' && headerDigits_ && bytes_[3] == DataRecord &&
               bytes_[0] > 0;
    }

private:
    std::string_view line_;
    std::size_t pairs_ = 0;
    bool pairsDigits_ = false;   // every character of the pairs read is a digit
    bool headerDigits_ = false;  // so are those of count, address and type
    std::array<std::uint8_t, MaxRecordBytes> bytes_;
};

class Reader {
public:
    Reader(std::int32_t limit, std::span<std::uint8_t> buffer, std::uint32_t origin, std::span<std::uint8_t> held)
        : limit_(limit), buffer_(buffer), origin_(origin), held_(held) {}

    // Applies one line; true when it is an end record that ends the reading.
    bool Apply(std::string_view line, int lineNumber) {
        if (line.empty()) return false;  // blank lines are harmless
        const Fields fields(line);
        if (!fields.IsValidRecord()) {
            if (result.wrongLines++ == 0) result.firstWrongLine = lineNumber;
        }
        if (fields.LooksLikeDataRecord()) result.hasData = true;
        // The record mark is taken on trust: whatever the first character is, it is skipped.
        return line.size() >= HeaderLength && ApplyRecord(fields);
    }

    ImageFileRead result;

private:
    bool ApplyRecord(const Fields& fields) {
        const int count = fields[0];
        const std::uint32_t offset = 256u * fields[1] + fields[2];
        const int type = fields[3];
        switch (type) {
        case DataRecord:
            StoreData(offset, count, fields);
            return false;
        case EndRecord:
            // As ever, an end record whose address field lies above the limit is passed over.
            return static_cast<std::int64_t>(offset) <= limit_;
        case SegmentAddressRecord:
        case LinearAddressRecord:
            if (fields.DataPairs() >= 2) {
                const std::uint64_t value = 256u * fields[4] + fields[5];
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

    void StoreData(std::uint32_t offset, int count, const Fields& fields) {
        // A record above the limit is dropped whole; one at or below it is stored whole.
        const bool stored = static_cast<std::int64_t>(FullAddress(offset, 0)) <= limit_;
        // The count decides, not the line: a short line stores what it has, a long one only count
        // bytes, and with count one too many the checksum becomes the last data byte.
        const int available = static_cast<int>(std::min<std::size_t>(fields.DataPairs(), 255));
        for (int k = 0; k < count && k < available; ++k) {
            const std::uint64_t position = FullAddress(offset, k);
            result.dataEnd = std::max(result.dataEnd, position + 1);
            result.dataStart = std::min(result.dataStart, position);
            if (stored && position < buffer_.size()) buffer_[static_cast<std::size_t>(position)] = fields[4 + k];
            if (stored && position < held_.size()) held_[static_cast<std::size_t>(position)] = 1;
        }
    }

    std::int32_t limit_;
    std::span<std::uint8_t> buffer_;
    std::uint64_t origin_;
    std::span<std::uint8_t> held_;
    std::uint64_t base_ = 0;
    bool segmented_ = false;
};

}  // namespace

ImageFileRead HexRead(const std::string& fileName, std::int32_t limit, std::span<std::uint8_t> buffer,
                      std::uint32_t origin, std::span<std::uint8_t> held) {
    // A read error (a folder given as file name, a failing disk) counts as not readable, and
    // since the file is read before any record is applied, it leaves the buffer as it was.
    const auto text = ReadWholeFile(fileName);
    if (!text) return {};
    Reader reader(limit, buffer, origin, held);
    TextLines lines(*text);
    int lineNumber = 0;
    while (auto line = lines.Next()) {
        ++lineNumber;
        // Only CR LF ends a line with its CR; a CR on its own stays part of the text.
        if (line->ended && !line->text.empty() && line->text.back() == '\r') line->text.remove_suffix(1);
        if (reader.Apply(line->text, lineNumber)) break;
    }
    reader.result.opened = true;
    return reader.result;
}

}  // namespace tarpel::files
