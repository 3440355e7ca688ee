// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "AvrBench.h"
#include "avr/EraseChip.h"
#include "avr/IdentifyMicro.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;
using avr::DeviceKind;

const std::string NoDevice = "No se ha detectado ningun micro!!!";
const std::string Locked = "El Atmel esta protegido contra lectura/escritura (Recibido ID=00 01 02)";

TEST(IdentifyMicro, NamesEachDeviceOfTheTable) {
    struct Case {
        const char* model;
        const char* caption;
        DeviceKind kind;
        int flashSize;
        int eepromSize;
    };
    const Case cases[] = {
        {"at90s8515", "AT90S8515 (8kb flash)", DeviceKind::AT90S8515, 8192, 512},
        {"at90s4414", "AT90S4414 (4kb flash)", DeviceKind::AT90S4414, 4096, 256},
        {"atmega8515", "ATMEGA 8515 (8kb flash)", DeviceKind::ATmega8515, 8192, 512},
        {"atmega162", "ATMEGA 162 (16kb flash)", DeviceKind::ATmega162, 16384, 512},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        AvrBench bench(SimOptions(folder, c.model));
        EXPECT_EQ(avr::IdentifyMicro(bench.frame), CommandOutcome::Done) << c.model;
        EXPECT_EQ(bench.view.captions, (std::vector<std::string>{"??", c.caption})) << c.model;
        EXPECT_EQ(bench.frame.Kind(), c.kind);
        EXPECT_EQ(bench.frame.FlashSize(), c.flashSize);
        EXPECT_EQ(bench.frame.EepromSize(), c.eepromSize);
        EXPECT_TRUE(bench.shell.messages.empty()) << c.model;
        // The label repaints before the board work starts.
        EXPECT_EQ(bench.shell.processMessagesCalls, 1);
        EXPECT_TRUE(bench.shell.cursorChanges.empty()) << "identification leaves the cursor alone";
        EXPECT_EQ(bench.port.powerUps, 1) << c.model;
        EXPECT_EQ(bench.port.CountOpcode(0x30), 3);
        EXPECT_EQ(bench.PortByte(), 0x00) << c.model;
        EXPECT_FALSE(bench.port.resetRaised);
        EXPECT_TRUE(bench.Violations().empty()) << c.model << ": " << bench.Violations().front();
    }
}

TEST(IdentifyMicro, LockedAndUnknownDevicesLeaveTheCaptionAtQuestionMarks) {
    struct Case {
        const char* fault;
        std::string message;
    };
    const Case cases[] = {{"avr-locked", Locked}, {"avr-unknown-signature", "ID de chip desconocido..."}};
    for (const auto& c : cases) {
        TempFolder folder;
        AvrBench bench(SimOptions(folder, "atmega8515", {c.fault}));
        // A device of another kind identified before: each command identifies anew.
        bench.view.caption = "ATMEGA 8515 (8kb flash)";
        EXPECT_EQ(avr::IdentifyMicro(bench.frame), CommandOutcome::Failed) << c.fault;
        EXPECT_EQ(bench.view.caption, "??") << c.fault;
        EXPECT_EQ(bench.MessageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(bench.shell.messages[0].caption, "ERROR");
        EXPECT_EQ(bench.frame.Kind(), DeviceKind::AT90S8515) << "taken for an AT90S8515";
        EXPECT_EQ(bench.PortByte(), 0x00) << c.fault;
        EXPECT_TRUE(bench.Violations().empty()) << c.fault << ": " << bench.Violations().front();
    }
}

// Devices taken out of the socket and put in between commands: one simulated board per device,
// the port and the clock switched to the board in use. Each board keeps its own folder, since a
// simulated board claims its folder for itself.
class DeviceSwap final : public port::Port, public port::Clock {
public:
    DeviceSwap(const TempFolder& folder, const std::vector<std::string>& models) {
        for (const auto& model : models) {
            auto options = SimOptions(folder, model);
            options.simDir = folder.Path(std::to_string(boards_.size()));
            boards_.push_back(board::OpenBoard(options));
        }
    }
    void Insert(std::size_t index) { active_ = index; }

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override {
        boards_[active_].port->DlPortWritePortUchar(port, value);
    }
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override {
        return boards_[active_].port->DlPortReadPortUchar(port);
    }
    bool QueryPerformanceFrequency(std::int64_t& f) override { return Active().QueryPerformanceFrequency(f); }
    std::int64_t QueryPerformanceCounter() override { return Active().QueryPerformanceCounter(); }
    std::uint32_t GetTickCount() override { return Active().GetTickCount(); }
    void Sleep(std::uint32_t ms) override { Active().Sleep(ms); }

private:
    port::Clock& Active() { return *boards_[active_].clock; }
    std::vector<board::Board> boards_;
    std::size_t active_ = 0;
};

TEST(IdentifyMicro, EachCommandIdentifiesAnewAndNoAnswerKeepsTheKind) {
    TempFolder folder;
    DeviceSwap socket(folder, {"atmega8515", "none", "at90s4414"});
    link::BoardLines lines(socket);
    RecordingShell shell;
    RecordingView view;
    link::BitTiming timing(socket);
    avr::CommandFrame frame(lines, timing, shell, view);

    ASSERT_EQ(avr::IdentifyMicro(frame), CommandOutcome::Done);
    EXPECT_EQ(frame.Kind(), DeviceKind::ATmega8515);

    socket.Insert(1);
    EXPECT_EQ(avr::IdentifyMicro(frame), CommandOutcome::Failed);
    EXPECT_EQ(frame.Kind(), DeviceKind::ATmega8515) << "no answer changes nothing";
    EXPECT_EQ(view.caption, "??");
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, NoDevice);
    EXPECT_EQ(shell.messages[0].caption, "ERROR");

    socket.Insert(2);
    EXPECT_TRUE(frame.IdentifyDevice());
    EXPECT_EQ(frame.Kind(), DeviceKind::AT90S4414);
    EXPECT_EQ(frame.FlashSize(), 4096);
    EXPECT_EQ(view.caption, "AT90S4414 (4kb flash)");
    frame.SwitchOff();
}

TEST(IdentifyMicro, SilentDeviceCostsThreePowerCycles) {
    for (const char* model : {"none", "at90s8515"}) {
        TempFolder folder;
        AvrBench bench(SimOptions(folder, model, {"avr-no-answer"}));
        EXPECT_EQ(avr::IdentifyMicro(bench.frame), CommandOutcome::Failed);
        EXPECT_EQ(bench.MessageTexts(), std::vector<std::string>{NoDevice}) << model;
        EXPECT_EQ(bench.port.powerUps, 3) << model;
        EXPECT_EQ(bench.clock.Count(500), 3);
        EXPECT_EQ(bench.clock.Count(300), 3);
        EXPECT_EQ(bench.PortByte(), 0x00);
    }
}

TEST(EraseChip, ErasesEvenALockedDeviceWithoutReadingItsSignature) {
    TempFolder folder;
    StoreMemory(folder, "at90s8515", "flash", std::vector<std::uint8_t>(8192, 0x00));
    StoreMemory(folder, "at90s8515", "eeprom", std::vector<std::uint8_t>(512, 0x5A));
    AvrBench bench(SimOptions(folder, "at90s8515", {"avr-locked"}));
    bench.view.caption = "previous";

    EXPECT_EQ(avr::EraseChip(bench.frame), CommandOutcome::Done);
    EXPECT_EQ(bench.port.CountOpcode(0x30), 0) << "no signature read";
    ASSERT_EQ(bench.shell.messages.size(), 1u);
    EXPECT_EQ(bench.shell.messages[0].text, "Chip borrado !!");
    EXPECT_EQ(bench.shell.messages[0].caption, "OK");
    EXPECT_EQ(bench.view.caption, "previous");
    EXPECT_EQ(bench.shell.cursorChanges,
              (std::vector<shell::CursorShape>{shell::CursorShape::Hourglass, shell::CursorShape::Default}));
    auto& device = bench.Device();
    EXPECT_EQ(device.Flash(), std::vector<std::uint8_t>(8192, 0xFF));
    EXPECT_EQ(device.Eeprom(), std::vector<std::uint8_t>(512, 0xFF));
    EXPECT_EQ(device.LockBits() & 0x03, 0x03) << "the erase clears the lock";
    EXPECT_EQ(bench.PortByte(), 0x00);
    EXPECT_TRUE(bench.Violations().empty()) << bench.Violations().front();

    // Unlocked now, the same device identifies.
    EXPECT_EQ(avr::IdentifyMicro(bench.frame), CommandOutcome::Done);
    EXPECT_EQ(bench.view.caption, "AT90S8515 (8kb flash)");
}

TEST(EraseChip, WithoutADeviceOnlySaysSo) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "none"));
    EXPECT_EQ(avr::EraseChip(bench.frame), CommandOutcome::Failed);
    ASSERT_EQ(bench.shell.messages.size(), 1u);
    EXPECT_EQ(bench.shell.messages[0].text, NoDevice);
    EXPECT_EQ(bench.shell.messages[0].caption, "ERROR");
    EXPECT_EQ(bench.port.powerUps, 3);
    EXPECT_EQ(bench.shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(bench.PortByte(), 0x00);
}

}  // namespace
}  // namespace tarpel::test
