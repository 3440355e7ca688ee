// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The AVR commands on the simulated board with one virtual device in a temporary store folder,
// watched through the instruction and sleep recorders, with a recording shell and view.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "IspRecorder.h"
#include "RecordingShell.h"
#include "TempFolder.h"
#include "avr/AvrView.h"
#include "avr/CommandFrame.h"
#include "board/Board.h"
#include "link/BoardLines.h"
#include "sim/ChipStore.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualAvr.h"

namespace tarpel::test {

class RecordingView final : public avr::AvrView {
public:
    std::string caption = "??";
    std::vector<std::string> captions;
    std::optional<std::uint8_t> lockByte;
    void LockBitsKnown(std::uint8_t byte) override { lockByte = byte; }
    void SetDeviceCaption(std::string_view text) override {
        caption = std::string(text);
        captions.push_back(caption);
    }
};

// Where the device's memories are kept between runs, before the board is made.
inline void StoreMemory(const TempFolder& folder, const std::string& model, const char* memory,
                        const std::vector<std::uint8_t>& bytes) {
    ASSERT_TRUE(sim::ChipStore(folder.Path("")).Save(model + "-" + memory + ".bin", bytes));
}

// One Intel HEX data record, with its checksum and CR LF.
inline std::string HexRecord(int address, const std::vector<std::uint8_t>& data, int type = 0) {
    char field[16];
    std::string line = ":";
    int sum = static_cast<int>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::snprintf(field, sizeof field, "%02X%04X%02X", static_cast<unsigned>(data.size()),
                  static_cast<unsigned>(address), static_cast<unsigned>(type));
    line += field;
    for (auto b : data) {
        std::snprintf(field, sizeof field, "%02X", b);
        line += field;
        sum += b;
    }
    std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(-sum & 0xFF));
    return line + field + "\r\n";
}

inline const std::string HexEnd = ":00000001FF\r\n";

inline board::BoardOptions SimOptions(const TempFolder& folder, const std::string& model,
                                      std::vector<std::string> faults = {}) {
    board::BoardOptions options;
    options.board = "sim";
    options.simDir = folder.Path("");
    options.simEeprom = "none";
    options.simAvr = model;
    options.simFaults = std::move(faults);
    return options;
}

struct AvrBench {
    explicit AvrBench(const board::BoardOptions& options)
        : board(board::OpenBoard(options)),
          port(*board.port),
          clock(*board.clock, port),
          lines(port),
          timing(clock),
          frame(lines, timing, shell, view) {}

    board::Board board;
    IspRecorder port;
    SleepRecorder clock;
    link::BoardLines lines;
    link::BitTiming timing;  // its FastTiming is the AVR link's too
    RecordingShell shell;
    RecordingView view;
    avr::CommandFrame frame;

    sim::VirtualAvr* DeviceOrNull() {
        return board.simulation ? dynamic_cast<sim::VirtualAvr*>(board.simulation->Avr()) : nullptr;
    }
    // The virtual device in the socket; the bench must have one.
    sim::VirtualAvr& Device() {
        sim::VirtualAvr* device = DeviceOrNull();
        if (device == nullptr) throw std::logic_error("no device in the AVR socket");
        return *device;
    }
    std::uint8_t PortByte() const { return board.simulation ? board.simulation->DataByte() : 0xFF; }
    std::vector<std::string> Violations() {
        std::vector<std::string> texts;
        if (sim::VirtualAvr* device = DeviceOrNull()) {
            for (const auto& v : device->Violations().Entries()) texts.push_back(v.description);
        }
        return texts;
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : shell.messages) texts.push_back(m.text);
        return texts;
    }
    // Flash write instructions (byte writes and page-buffer loads) at or above this byte address.
    int FlashWritesFrom(int address) const {
        return port.Count([address](const IspInstruction& i) {
            return (i.Opcode() == 0x40 || i.Opcode() == 0x48) && i.ByteAddress() >= address;
        });
    }
};

}  // namespace tarpel::test
