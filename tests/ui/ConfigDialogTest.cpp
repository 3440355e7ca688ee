// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "ui/TformConfig.h"

namespace tarpel::ui {
namespace {

struct SeenOpen {
    bool visible = false;
    int position = 0;
    QString text;
};

// Runs the opener with the dialog's modal loop; once the dialog is up, records what it shows,
// then lets `act` move or close it. A guard ends a loop that `act` failed to close.
SeenOpen RunConfiguration(TformConfig& dialog, std::int32_t& delayFactor,
                          const std::function<void(TformConfig&)>& act) {
    SeenOpen seen;
    QTimer opened;
    opened.setSingleShot(true);
    QObject::connect(&opened, &QTimer::timeout, &dialog, [&] {
        seen = {dialog.isVisible(), dialog.tb->value(), dialog.lbTB->text()};
        act(dialog);
    });
    opened.start(0);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, [&] {
        ADD_FAILURE() << "the dialog did not close";
        dialog.done(-1);
    });
    guard.start(10'000);
    TformConfig::RunConfiguration(dialog, delayFactor);
    return seen;
}

void PressAceptar(TformConfig& dialog) { dialog.BitBtn1->click(); }

TEST(ConfigDialog, FactorInsideTheRangeIsShownAndKept) {
    TformConfig dialog;
    std::int32_t factor = 3;
    const SeenOpen seen = RunConfiguration(dialog, factor, PressAceptar);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.position, 3);
    EXPECT_EQ(seen.text, "3");
    EXPECT_EQ(factor, 3);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ConfigDialog, FactorOutsideTheRangeComesBackAtTheNearerEnd) {
    struct Case {
        std::int32_t stored;
        int shown;
    };
    for (const Case c : {Case{75, 50}, Case{51, 50}, Case{0, 1}, Case{-7, 1},
                         Case{INT32_MIN, 1}, Case{INT32_MAX, 50}}) {
        TformConfig dialog;
        std::int32_t factor = c.stored;
        const SeenOpen seen = RunConfiguration(dialog, factor, PressAceptar);
        EXPECT_EQ(seen.position, c.shown) << c.stored;
        EXPECT_EQ(seen.text, QString::number(c.shown)) << c.stored;
        EXPECT_EQ(factor, c.shown) << c.stored;
    }
}

TEST(ConfigDialog, EveryWayOfClosingHandsBackThePosition) {
    struct Way {
        std::function<void(TformConfig&)> close;
        int result;
    };
    const Way ways[] = {
        {[](TformConfig& d) { d.close(); }, QDialog::Rejected},  // the close box
        {[](TformConfig& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
        {[](TformConfig& d) { QTest::keyClick(&d, Qt::Key_Return); }, QDialog::Accepted},
        {PressAceptar, QDialog::Accepted},
    };
    for (const Way& way : ways) {
        TformConfig dialog;
        std::int32_t factor = 75;
        RunConfiguration(dialog, factor, [&](TformConfig& d) {
            d.tb->setValue(7);
            way.close(d);
        });
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), way.result);
        EXPECT_EQ(factor, 7);
    }
}

TEST(ConfigDialog, TextReplacesTheLayoutCaptionEvenWhenThePositionDoesNotChange) {
    // Position 1 is the layout's own, so setting it raises no change; showing must still
    // replace the placeholder.
    TformConfig dialog;
    std::int32_t factor = 1;
    const SeenOpen seen = RunConfiguration(dialog, factor, PressAceptar);
    EXPECT_EQ(seen.text, "1");
}

TEST(ConfigDialog, TextFollowsTheSliderAndTheSliderStaysInsideItsEnds) {
    TformConfig dialog;
    std::int32_t factor = 10;
    std::vector<QString> texts;
    RunConfiguration(dialog, factor, [&](TformConfig& d) {
        QTest::keyClick(d.tb, Qt::Key_Right);
        texts.push_back(d.lbTB->text());
        QTest::keyClick(d.tb, Qt::Key_PageUp);
        texts.push_back(d.lbTB->text());
        QTest::keyClick(d.tb, Qt::Key_End);
        QTest::keyClick(d.tb, Qt::Key_Right);
        texts.push_back(d.lbTB->text());
        QTest::keyClick(d.tb, Qt::Key_Home);
        QTest::keyClick(d.tb, Qt::Key_Left);
        texts.push_back(d.lbTB->text());
        d.close();
    });
    EXPECT_EQ(texts, (std::vector<QString>{"11", "16", "50", "1"}));
    EXPECT_EQ(factor, 1);
}

TEST(ConfigDialog, AWindowsOwnModalRunnerTakesThePlaceOfExec) {
    TformConfig dialog;
    std::int32_t factor = 60;
    int runs = 0;
    TformConfig::RunConfiguration(dialog, factor, [&](QDialog& d) {
        ++runs;
        EXPECT_EQ(&d, &dialog);
        dialog.tb->setValue(9);
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(factor, 9);
}

}  // namespace
}  // namespace tarpel::ui
