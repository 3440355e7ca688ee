// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "ui/TGauge.h"
#include "ui/TformProgreso.h"

namespace tarpel::ui {
namespace {

class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(Gauge, ProgressIsClampedAndShownAsAPercentage) {
    TGauge gauge;
    EXPECT_EQ(gauge.Text(), "0%");
    gauge.SetProgress(42);
    EXPECT_EQ(gauge.Text(), "42%");
    gauge.SetProgress(-5);
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_EQ(gauge.Text(), "0%");
    gauge.SetProgress(150);
    EXPECT_EQ(gauge.Progress(), 100);
    EXPECT_EQ(gauge.Text(), "100%");

    gauge.SetRange(0, 3);  // a range other than 0..100 shows whole percents, rounded down
    gauge.SetProgress(2);
    EXPECT_EQ(gauge.Text(), "66%");
    gauge.SetRange(5, 5);
    EXPECT_EQ(gauge.Text(), "0%");
}

TEST(Gauge, RepaintsOnlyWhenTheShownPercentageChanges) {
    TGauge gauge;
    gauge.SetRange(0, 1000);
    gauge.resize(249, 25);
    gauge.show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    gauge.installEventFilter(&counter);

    gauge.SetProgress(421);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    gauge.SetProgress(429);  // still 42%
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    gauge.SetProgress(430);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 2);
}

TEST(Gauge, FillsFromTheLeftAndInvertsTheTextOverBothParts) {
    TGauge gauge;
    gauge.SetForeColor(Qt::red);
    gauge.resize(249, 25);
    gauge.SetProgress(50);
    const QImage image = gauge.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));  // frame
    EXPECT_EQ(image.pixelColor(3, 12), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(245, 12), QColor(Qt::white));
    // The text spans the middle: light strokes on the red half, red strokes on the white half
    // (smoothed edges blend the two colours, so shades count).
    int whiteOnRed = 0;
    int redOnWhite = 0;
    for (int y = 2; y < 23; ++y) {
        for (int x = 95; x < 124; ++x) whiteOnRed += image.pixelColor(x, y).green() > 128;
        for (int x = 125; x < 155; ++x) redOnWhite += image.pixelColor(x, y).green() < 128;
    }
    EXPECT_GT(whiteOnRed, 0);
    EXPECT_GT(redOnWhite, 0);
}

TEST(ProgressDialog, ShowingClearsTheCancelFlagThatTheButtonSets) {
    TformProgreso dialog;
    dialog.btnCancelar->click();
    EXPECT_TRUE(dialog.CancelRequested());
    dialog.show();
    EXPECT_FALSE(dialog.CancelRequested());
    dialog.btnCancelar->click();
    EXPECT_EQ(dialog.CancelTag(), 1);
    dialog.btnCancelar->click();
    EXPECT_EQ(dialog.CancelTag(), 1);
    dialog.hide();
    EXPECT_TRUE(dialog.CancelRequested());  // hiding keeps it; only the next showing clears it
    dialog.show();
    EXPECT_FALSE(dialog.CancelRequested());
}

TEST(ProgressDialog, EnterAndEscNeitherPressCancelNorCloseTheDialog) {
    TformProgreso dialog;
    dialog.show();
    dialog.btnCancelar->setFocus();
    QSignalSpy clicks(dialog.btnCancelar, &QPushButton::clicked);
    for (QWidget* target : {static_cast<QWidget*>(&dialog), static_cast<QWidget*>(dialog.btnCancelar)}) {
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(target, key);
    }
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(dialog.CancelRequested());
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(dialog.btnCancelar, Qt::Key_Space);  // the button itself still works
    EXPECT_TRUE(dialog.CancelRequested());
}

TEST(ProgressDialog, IsASmallFixedDialogOnTopWithItsTitleAlone) {
    TformProgreso dialog;
    EXPECT_EQ(dialog.windowTitle(), "Progreso...");
    EXPECT_EQ(dialog.size(), QSize(361, 86));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowMinMaxButtonsHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_EQ(dialog.Progreso->size(), QSize(273, 33));
    EXPECT_EQ(dialog.Progreso->ForeColor(), QColor(Qt::black));
    EXPECT_FALSE(dialog.btnCancelar->isDefault());
    EXPECT_FALSE(dialog.btnCancelar->autoDefault());
}

}  // namespace
}  // namespace tarpel::ui
