// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A small I2C master for the simulation tests: clean waveforms on the line layer with its own
// waits on the board's virtual time, independent of the program's master, so that the virtual
// chips are checked against the datasheets and not against the code they will serve.
#include <cstdint>
#include <vector>

#include "link/BoardLines.h"
#include "sim/Eeprom24CxxModel.h"
#include "sim/SimulatedBoard.h"

namespace tarpel::test {

class TestI2cMaster {
public:
    explicit TestI2cMaster(sim::SimulatedBoard& board, std::uint64_t stepNs = 10'000)
        : TestI2cMaster(board, board.Time(), stepNs) {}
    // Through another port on the board, e.g. the line trace wrapped around it.
    TestI2cMaster(port::Port& port, sim::VirtualTime& time, std::uint64_t stepNs = 10'000)
        : time_(time), lines_(port), stepNs_(stepNs) {}

    link::BoardLines& Lines() { return lines_; }
    void Wait(std::uint64_t ns) { time_.Advance(ns); }

    void PowerUp() {
        lines_.BusPowerUp();
        Step();
    }
    void PowerOff() { lines_.AllOff(); }

    // Each routine takes SCL low before it moves SDA and leaves SCL high.
    void Start() {
        Set(false, lines_.BusLineState().sda);
        Set(false, true);
        Set(true, true);
        Set(true, false);
    }
    void Stop() {
        Set(false, lines_.BusLineState().sda);
        Set(false, false);
        Set(true, false);
        Set(true, true);
    }
    // True when the chip acknowledged.
    bool WriteByte(std::uint8_t value) {
        for (int bit = 7; bit >= 0; --bit) {
            Set(false, lines_.BusLineState().sda);
            Set(false, ((value >> bit) & 1) != 0);
            Set(true, ((value >> bit) & 1) != 0);
        }
        Set(false, lines_.BusLineState().sda);
        Set(false, true);
        Set(true, true);
        return !lines_.ReadSdaIn();
    }
    std::uint8_t ReadByte(bool acknowledge) {
        std::uint8_t value = 0;
        for (int bit = 7; bit >= 0; --bit) {
            Set(false, lines_.BusLineState().sda);
            Set(false, true);
            Set(true, true);
            value = static_cast<std::uint8_t>((value << 1) | (lines_.ReadSdaIn() ? 1 : 0));
        }
        Set(false, true);
        Set(false, !acknowledge);
        Set(true, !acknowledge);
        return value;
    }

    // Control byte and address bytes for `address` the way this chip takes them: the address
    // bits above the word address bytes (A8.. of a one-byte part, A16.. of a 128 or 256 KiB one)
    // go to b1 on.
    static std::uint8_t Control(const sim::Eeprom24CxxModel& type, std::uint32_t address, bool read) {
        const std::uint32_t blockMask = (1u << type.blockBits) - 1;
        const std::uint32_t block = address >> (8 * type.wordAddressBytes);
        auto control = static_cast<std::uint8_t>(0xA0 | ((block & blockMask) << 1));
        return static_cast<std::uint8_t>(control | (read ? 1 : 0));
    }
    static std::vector<std::uint8_t> AddressBytes(const sim::Eeprom24CxxModel& type, std::uint32_t address) {
        if (type.wordAddressBytes == 1) return {static_cast<std::uint8_t>(address)};
        return {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    }

    // Start, control, address and data; the stop is the caller's (or a repeated start). False at
    // the first missing acknowledge, after a stop.
    bool WriteHeaderAndData(const sim::Eeprom24CxxModel& type, std::uint32_t address, const std::vector<std::uint8_t>& data) {
        Start();
        std::vector<std::uint8_t> bytes{Control(type, address, false)};
        for (auto b : AddressBytes(type, address)) bytes.push_back(b);
        bytes.insert(bytes.end(), data.begin(), data.end());
        for (auto b : bytes) {
            if (!WriteByte(b)) {
                Stop();
                return false;
            }
        }
        return true;
    }
    bool Write(const sim::Eeprom24CxxModel& type, std::uint32_t address, const std::vector<std::uint8_t>& data) {
        if (!WriteHeaderAndData(type, address, data)) return false;
        Stop();
        return true;
    }
    // Polls with the write control byte until the chip acknowledges; returns the polls needed.
    int AckPoll(const sim::Eeprom24CxxModel& type, int limit = 1000) {
        for (int polls = 1; polls <= limit; ++polls) {
            Start();
            const bool ack = WriteByte(Control(type, 0, false));
            Stop();
            if (ack) return polls;
        }
        return -1;
    }
    // Reads from the address counter; the last byte gets no acknowledge. Empty when not acknowledged.
    std::vector<std::uint8_t> ReadCurrent(const sim::Eeprom24CxxModel& type, std::size_t count) {
        Start();
        if (!WriteByte(Control(type, 0, true))) {
            Stop();
            return {};
        }
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < count; ++i) bytes.push_back(ReadByte(i + 1 < count));
        Stop();
        return bytes;
    }
    // Random (sequential) read: address header, repeated start, read.
    std::vector<std::uint8_t> Read(const sim::Eeprom24CxxModel& type, std::uint32_t address, std::size_t count) {
        if (!WriteHeaderAndData(type, address, {})) return {};
        return ReadCurrent(type, count);
    }

private:
    void Set(bool scl, bool sda) {
        const auto& now = lines_.BusLineState();
        if (now.scl == scl && now.sda == sda) return;
        lines_.WriteBusLines(now.supply, scl, sda);
        Step();
    }
    void Step() { Wait(stepNs_); }

    sim::VirtualTime& time_;
    link::BoardLines lines_;
    std::uint64_t stepNs_;
};

}  // namespace tarpel::test
