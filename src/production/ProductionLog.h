// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The log of a production run: a CSV file with one line per chip, appended whole (one write on a
// file opened for appending, then synced), so that a crash never leaves half a line and two
// programs logging to one file never mix their lines. A new file starts with a line of headings.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarpel::production {

// One chip's line.
struct LogEntry {
    std::chrono::system_clock::time_point when;
    std::string board;                  // as the status bar names it
    std::string device;                 // the AVR identified or the 24Cxx chosen
    std::string file;                   // as given
    std::optional<std::uint32_t> crc32;  // of the file's bytes; none when it could not be read
    std::optional<std::uint64_t> serial;
    std::string steps;                  // "borrado:ok flash:ok eeprom:fallo"
    double seconds = 0;
    bool good = false;
};

// "2026-12-08 11:05:00 +0100": local time with its offset from UTC.
std::string LocalTimeText(std::chrono::system_clock::time_point when);

// The entry as one CSV line with its newline; fields with a comma, a quote or a line break quoted.
std::string LogLine(const LogEntry& entry);

// Appends the entry's line (after the headings when the file is new or empty). False, with
// `error` saying why, when the file cannot be opened or written whole.
bool AppendToLog(const std::string& path, const LogEntry& entry, std::string& error);

}  // namespace tarpel::production
