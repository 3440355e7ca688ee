#pragma once
// A Value Change Dump file of one-bit variables with nanosecond timestamps, as GTKWave,
// PulseView and sigrok-cli read it. Only changes are written; times must not go backwards.
// It knows nothing of ports or boards: the line trace decides what the variables are.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarpel::hw {

class VcdWriter {
public:
    // Creates the file and writes the header; every variable starts unknown (x) at time 0.
    VcdWriter(const std::string& path, std::vector<std::string> variableNames);
    // Writes what is buffered and closes the file.
    ~VcdWriter();
    VcdWriter(const VcdWriter&) = delete;
    VcdWriter& operator=(const VcdWriter&) = delete;

    // Empty when the file was created, else the reason it could not be.
    const std::string& Error() const { return error_; }

    void Change(std::size_t variable, bool level, std::uint64_t timeNs) {
        const auto value = static_cast<std::int8_t>(level ? 1 : 0);
        if (values_[variable] == value) return;
        values_[variable] = value;
        Write(variable, level, timeNs);
    }
    // Marks the end of the recording, so viewers show the last levels up to this time.
    void Finish(std::uint64_t timeNs);

private:
    void Write(std::size_t variable, bool level, std::uint64_t timeNs);
    void Stamp(std::uint64_t timeNs);
    void Flush();

    std::FILE* file_ = nullptr;
    std::string error_;
    std::vector<std::string> names_;
    std::vector<std::string> ids_;
    std::vector<std::int8_t> values_;  // -1 unknown
    std::string buffer_;
    std::uint64_t lastStampNs_ = 0;
    bool finished_ = false;
};

}  // namespace tarpel::hw
