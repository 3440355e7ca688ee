// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A Value Change Dump file of one-bit variables with nanosecond timestamps, as GTKWave,
// PulseView and sigrok-cli read it. Only changes are written; times must not go backwards.
// It knows nothing of ports or boards: the line trace decides what the variables are.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarpel::port {

class VcdWriter {
public:
    // Creates the file and writes the header; every variable starts unknown (x) at time 0.
    VcdWriter(const std::string& path, std::vector<std::string> variableNames);
    // Writes what is buffered and closes the file.
    ~VcdWriter();
    VcdWriter(const VcdWriter&) = delete;
    VcdWriter& operator=(const VcdWriter&) = delete;

    // Empty while all is well; else why the file could not be created, or why it could not be
    // written whole (a full disk).
    const std::string& Error() const { return error_; }

    void Change(std::size_t variable, bool level, std::uint64_t timeNs) {
        const auto value = static_cast<std::int8_t>(level ? 1 : 0);
        if (values_[variable] == value) return;
        values_[variable] = value;
        Write(variable, level, timeNs);
    }
    // Marks the end of the recording, so viewers show the last levels up to this time, and
    // writes out everything. True when the whole trace is in the file.
    bool Finish(std::uint64_t timeNs);

private:
    void Write(std::size_t variable, bool level, std::uint64_t timeNs);
    void Stamp(std::uint64_t timeNs);
    void Flush();
    void NoteWriteError(int error);

    std::string path_;
    std::FILE* file_ = nullptr;
    std::string error_;
    std::vector<std::string> names_;
    std::vector<std::string> ids_;
    std::vector<std::int8_t> values_;  // -1 unknown
    std::string buffer_;
    std::uint64_t lastStampNs_ = 0;
    bool finished_ = false;
};

}  // namespace tarpel::port
