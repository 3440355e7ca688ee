// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What reading an image file into a memory buffer found, as every reader of a text image format
// reports it (the Intel HEX reader, and any other format's reader beside it): whether the file
// could be read at all, whether it held data, which of its lines were not valid records, and
// how far its data reached. The reader shows nothing; the commands turn this into their boxes.
#include <cstdint>

namespace tarpel::files {

struct ImageFileRead {
    bool opened = false;      // the file could be opened and read to its end without error
    bool hasData = false;     // at least one line was recognisably a data record of the format
    int wrongLines = 0;       // lines that are not valid records (loaded as far as they go)
    int firstWrongLine = 0;   // number of the first of them, counted from 1; 0 when none
    std::uint64_t dataEnd = 0;  // one past the highest address a data byte named, stored or not
    std::uint64_t dataStart = NoData;  // the lowest address a data byte named, stored or not
    int linesAfterEnd = 0;      // lines after the end record that is not the last line, not read
    int firstLineAfterEnd = 0;  // number of the first of them; 0 when none

    static constexpr std::uint64_t NoData = ~std::uint64_t{0};
};

}  // namespace tarpel::files
