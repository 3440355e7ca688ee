// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Test helpers that watch an AVR command from the outside: a port wrapper that decodes the
// data-port writes into the 4-byte instructions the device receives (with the bytes it
// answered), and a clock wrapper that notes each sleep with the number of instructions before it.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "port/Clock.h"
#include "port/Port.h"

namespace tarpel::test {

struct IspInstruction {
    std::array<std::uint8_t, 4> sent{};
    std::array<std::uint8_t, 4> received{};

    std::uint8_t Opcode() const { return sent[0]; }
    // The address of a flash or EEPROM instruction as the device takes it: a flash byte
    // address for 0x20/0x28/0x40/0x48, the EEPROM address for 0xA0/0xC0.
    int ByteAddress() const {
        const int field = (sent[1] << 8) | sent[2];
        switch (sent[0]) {
        case 0x20: case 0x40: return field * 2;
        case 0x28: case 0x48: return field * 2 + 1;
        default: return field;
        }
    }
};

class IspRecorder final : public port::Port {
public:
    explicit IspRecorder(port::Port& inner) : inner_(inner) {}

    std::vector<IspInstruction> instructions;
    int writes = 0;  // data-port writes of any kind
    int powerUps = 0;
    int resyncPulses = 0;
    bool resetRaised = false;

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override {
        inner_.DlPortWritePortUchar(port, value);
        if (port != port::DataPort) return;
        ++writes;
        const std::uint8_t before = last_;
        last_ = value;
        const auto rose = [&](std::uint8_t bit) { return !(before & bit) && (value & bit); };
        const auto fell = [&](std::uint8_t bit) { return (before & bit) && !(value & bit); };
        if (value & 0x10) resetRaised = true;
        if (rose(0x07)) ++powerUps;
        if (fell(0x07)) {
            // Unpowered, the device forgets any half-shifted instruction.
            bits_ = 0;
            bytes_ = 0;
        }
        if (rose(0x08) && (value & 0x40)) ++highCycles_;
        if (rose(0x40)) {
            highCycles_ = 0;
            out_ = static_cast<std::uint8_t>((out_ << 1) | ((value & 0x20) ? 1 : 0));
            in_ = static_cast<std::uint8_t>((in_ << 1) | (lastMiso_ ? 1 : 0));
            ++bits_;
        }
        if (fell(0x40)) {
            if (bits_ == 1 && highCycles_ > 5) {
                // A lone SCK pulse that shifts the device's frame, not the first bit of a byte.
                ++resyncPulses;
                bits_ = 0;
                bytes_ = 0;
            } else if (bits_ == 8) {
                current_.sent[bytes_] = out_;
                current_.received[bytes_] = in_;
                bits_ = 0;
                if (++bytes_ == 4) {
                    instructions.push_back(current_);
                    bytes_ = 0;
                }
            }
        }
    }

    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override {
        const std::uint8_t value = inner_.DlPortReadPortUchar(port);
        if (port == port::StatusPort) lastMiso_ = (value & 0x40) != 0;
        return value;
    }

    int Count(const std::function<bool(const IspInstruction&)>& match) const {
        int n = 0;
        for (const auto& i : instructions) n += match(i) ? 1 : 0;
        return n;
    }
    int CountOpcode(std::uint8_t opcode) const {
        return Count([opcode](const IspInstruction& i) { return i.Opcode() == opcode; });
    }
    // Reads of one flash byte (0x20/0x28) or EEPROM byte (0xA0) address.
    int FlashReadsAt(int address) const {
        return Count([address](const IspInstruction& i) {
            return (i.Opcode() == 0x20 || i.Opcode() == 0x28) && i.ByteAddress() == address;
        });
    }
    int EepromReadsAt(int address) const {
        return Count([address](const IspInstruction& i) { return i.Opcode() == 0xA0 && i.ByteAddress() == address; });
    }
    // Index of the first instruction that matches, or -1.
    int Find(const std::function<bool(const IspInstruction&)>& match) const {
        for (std::size_t k = 0; k < instructions.size(); ++k) {
            if (match(instructions[k])) return static_cast<int>(k);
        }
        return -1;
    }

private:
    port::Port& inner_;
    std::uint8_t last_ = 0;
    bool lastMiso_ = false;
    int highCycles_ = 0;
    int bits_ = 0;
    int bytes_ = 0;
    std::uint8_t out_ = 0;
    std::uint8_t in_ = 0;
    IspInstruction current_;
};

struct SleepRecord {
    std::size_t afterInstructions;  // instructions decoded before the sleep began
    std::uint32_t ms;
};

class SleepRecorder final : public port::Clock {
public:
    SleepRecorder(port::Clock& inner, const IspRecorder& recorder) : inner_(inner), recorder_(recorder) {}

    std::vector<SleepRecord> sleeps;

    bool QueryPerformanceFrequency(std::int64_t& f) override { return inner_.QueryPerformanceFrequency(f); }
    std::int64_t QueryPerformanceCounter() override { return inner_.QueryPerformanceCounter(); }
    std::uint32_t GetTickCount() override { return inner_.GetTickCount(); }
    void Sleep(std::uint32_t ms) override {
        sleeps.push_back({recorder_.instructions.size(), ms});
        inner_.Sleep(ms);
    }

    int Count(std::uint32_t ms) const {
        int n = 0;
        for (const auto& s : sleeps) n += s.ms == ms ? 1 : 0;
        return n;
    }

private:
    port::Clock& inner_;
    const IspRecorder& recorder_;
};

}  // namespace tarpel::test
