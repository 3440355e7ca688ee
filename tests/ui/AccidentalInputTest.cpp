// SPDX-License-Identifier: GPL-2.0-or-later
// Input that must not cost the user data or the way to stop an operation: a mouse wheel passing
// over the chip list, and a window manager's close request on the progress dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QWheelEvent>

#include "WindowRig.h"
#include "ui/TformProgreso.h"

namespace tarpel::ui {
namespace {

void TurnWheel(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent down(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &down);
}

TEST(AccidentalInput, AWheelPassingOverTheChipListKeepsTheImage) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    window.show();
    window.PageControl1->setCurrentWidget(window.eepromPage.ts24CXXX);
    window.Workspace().MemoryImage[0] = 0x42;

    TurnWheel(window.eepromPage.cbChip);
    EXPECT_EQ(window.eepromPage.cbChip->currentIndex(), 7);
    EXPECT_EQ(window.Workspace().MemoryImage[0], 0x42);

    // Once the user has put the focus on the list, the wheel chooses as usual.
    window.activateWindow();
    window.eepromPage.cbChip->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.eepromPage.cbChip->hasFocus(); }));
    TurnWheel(window.eepromPage.cbChip);
    EXPECT_EQ(window.eepromPage.cbChip->currentIndex(), 8);
    EXPECT_EQ(window.Workspace().MemoryImage[0], 0xFF);
}

TEST(AccidentalInput, TheProgressDialogRefusesToBeClosedAndHidesWhenTheOperationEnds) {
    test::WindowRig rig;
    rig.Start();
    TformProgreso& progress = *rig.forms->formProgreso;
    progress.show();
    EXPECT_FALSE(progress.close());
    EXPECT_TRUE(progress.isVisible());
    progress.hide();
    EXPECT_FALSE(progress.isVisible());
}

}  // namespace
}  // namespace tarpel::ui
