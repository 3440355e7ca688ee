// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QPushButton>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <vector>

#include "FakeClock.h"
#include "RecordingPort.h"
#include "link/BoardLines.h"
#include "ui/TformManual.h"

namespace tarpel::ui {
namespace {

// The fake clock, plus the cursor shape seen at each sleep: the burst's waits happen under
// the hourglass.
class CursorWatchingClock final : public port::Clock {
public:
    test::FakeClock fake;
    std::vector<std::optional<Qt::CursorShape>> cursorAtSleep;

    bool QueryPerformanceFrequency(std::int64_t& f) override {
        return fake.QueryPerformanceFrequency(f);
    }
    std::int64_t QueryPerformanceCounter() override { return fake.QueryPerformanceCounter(); }
    std::uint32_t GetTickCount() override { return fake.GetTickCount(); }
    void Sleep(std::uint32_t ms) override {
        const QCursor* cursor = QApplication::overrideCursor();
        cursorAtSleep.push_back(cursor ? std::optional(cursor->shape()) : std::nullopt);
        fake.Sleep(ms);
    }
};

constexpr std::uint32_t TestBurstCycles = 3;

class ManualDialog : public ::testing::Test {
protected:
    CursorWatchingClock clock;
    test::RecordingPort port{&clock.fake};
    link::BoardLines lines{port};
    TformManual form{lines, clock, nullptr, TestBurstCycles};

    void Tick(bool vcc, bool sck, bool mosi, bool reset, bool xtal) {
        form.cbVCC->setChecked(vcc);
        form.cbSCK->setChecked(sck);
        form.cbMOSI->setChecked(mosi);
        form.cbRESET->setChecked(reset);
        form.cbXTAL->setChecked(xtal);
    }
    void ExpectBoardOff() {
        EXPECT_EQ(port.Last(), 0x00);
        const link::BusLines& bus = lines.BusLineState();
        EXPECT_FALSE(bus.supply || bus.scl || bus.sda);
        const link::IspLines& isp = lines.IspLineState();
        EXPECT_FALSE(isp.vcc || isp.sck || isp.mosi || isp.reset || isp.xtal);
        EXPECT_FALSE(form.Timer1->isActive());
    }
};

TEST_F(ManualDialog, FirstTickWhileHiddenSwitchesTheTimerOffAndTouchesNoLine) {
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 100);
    form.Timer1Timer();
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(port.statusReads, 0);
}

TEST_F(ManualDialog, FirstTickWritesWhatTheBoxesShow) {
    struct Case {
        bool vcc, sck, mosi, reset, xtal;
        std::uint8_t byte;
    };
    for (const Case c : {Case{false, false, false, false, false, 0x00},
                         Case{true, false, false, false, false, 0x07},
                         Case{true, true, false, true, false, 0x57},
                         Case{true, true, true, true, true, 0x7F},
                         Case{false, true, true, false, true, 0x68}}) {
        Tick(c.vcc, c.sck, c.mosi, c.reset, c.xtal);
        port.writes.clear();
        form.show();
        EXPECT_TRUE(form.Timer1->isActive());
        EXPECT_TRUE(port.writes.empty()) << "ticking a box writes nothing by itself";
        form.Timer1Timer();
        ASSERT_EQ(port.writes.size(), 1u);
        EXPECT_EQ(port.Last(), c.byte);
        form.close();
    }
}

TEST_F(ManualDialog, MisoBoxFollowsStatusBitSixAtEachTick) {
    form.show();
    port.status = 0x40;
    form.Timer1Timer();
    EXPECT_TRUE(form.cbMISO->isChecked());
    port.status = 0xBF;
    form.Timer1Timer();
    EXPECT_FALSE(form.cbMISO->isChecked());
    port.status = 0xFF;
    form.Timer1Timer();
    EXPECT_TRUE(form.cbMISO->isChecked());
    EXPECT_FALSE(form.cbMISO->isEnabled());
    form.close();
}

TEST_F(ManualDialog, ClosingInAnyStateSwitchesEverythingOff) {
    // Left over from a 24Cxx command: the other side's remembered lines must end off too.
    lines.BusPowerUp();
    form.show();
    form.close();
    ExpectBoardOff();

    Tick(true, true, true, true, true);
    form.show();
    form.Timer1Timer();
    EXPECT_EQ(port.Last(), 0x7F);
    form.BitBtn1->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ExpectBoardOff();

    form.show();
    form.btnXTAL->click();
    form.close();
    ExpectBoardOff();
}

TEST_F(ManualDialog, XtalBurstPowersUpColdThenClocksXtalAndHandsBackToTheBoxes) {
    Tick(true, false, false, false, false);
    form.show();
    form.Timer1Timer();
    port.writes.clear();

    form.btnXTAL->click();

    std::vector<std::uint8_t> expected{0x00, 0x5F};
    for (std::uint32_t i = 0; i < TestBurstCycles; ++i) {
        expected.push_back(0x5F);
        expected.push_back(0x57);
    }
    EXPECT_EQ(port.Values(), expected);
    EXPECT_EQ(clock.fake.sleeps, (std::vector<std::uint32_t>{500, 500}));
    // Each sleep sits between the writes it separates.
    EXPECT_EQ(port.writes[1].timeNs - port.writes[0].timeNs, 500'000'000u);
    EXPECT_EQ(port.writes[2].timeNs - port.writes[1].timeNs, 500'000'000u);
    EXPECT_EQ(clock.cursorAtSleep,
              (std::vector<std::optional<Qt::CursorShape>>{Qt::WaitCursor, Qt::WaitCursor}));

    EXPECT_FALSE(lines.IspLineState().xtal);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form.cbVCC->isChecked());
    EXPECT_FALSE(form.cbRESET->isChecked() || form.cbSCK->isChecked() || form.cbXTAL->isChecked());

    form.Timer1Timer();
    EXPECT_EQ(port.Last(), 0x07);
    form.close();
}

TEST_F(ManualDialog, TickedBoxesSurviveClosingAndReopening) {
    Tick(true, false, true, false, false);
    form.show();
    form.Timer1Timer();
    form.close();
    EXPECT_EQ(port.Last(), 0x00);

    form.show();
    EXPECT_TRUE(form.cbVCC->isChecked());
    EXPECT_TRUE(form.cbMOSI->isChecked());
    EXPECT_TRUE(form.Timer1->isActive());
    form.Timer1Timer();
    EXPECT_EQ(port.Last(), 0x27);
    form.close();
}

TEST_F(ManualDialog, OpenedModallyTheRefreshTimerDrivesTheLinesUntilVale) {
    Tick(false, false, false, true, false);
    // Closes at the first tick that wrote the boxes; the guard ends a loop that never ticks.
    QObject::connect(form.Timer1, &QTimer::timeout, &form, [&] {
        if (!port.writes.empty() && form.isVisible()) form.BitBtn1->click();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &form, [&] {
        ADD_FAILURE() << "no refresh tick arrived";
        form.done(-1);
    });
    guard.start(10'000);
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(port.Values(), (std::vector<std::uint8_t>{0x10, 0x00, 0x00}));
    ExpectBoardOff();
}

TEST_F(ManualDialog, TabGoesThroughTheGroupThenValeThenDarXtal) {
    const std::vector<QWidget*> expected{form.cbVCC,   form.cbSCK,    form.cbMOSI,
                                         form.cbMISO,  form.cbRESET,  form.cbXTAL,
                                         form.btnParar, form.BitBtn1, form.btnXTAL};
    std::vector<QWidget*> order;
    QWidget* w = form.cbVCC;
    do {
        if (std::find(expected.begin(), expected.end(), w) != expected.end()) order.push_back(w);
        w = w->nextInFocusChain();
    } while (w != form.cbVCC && order.size() < 2 * expected.size());
    EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace tarpel::ui
