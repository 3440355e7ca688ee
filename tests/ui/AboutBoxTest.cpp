// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>

#include "ui/TAboutBox.h"

namespace tarpel::ui {
namespace {

using namespace std::chrono_literals;

// Shows the box modally the way the window does; once it is up, `act` runs inside its loop.
// A guard ends a loop that nothing closed.
int ExecWith(TAboutBox& box, const std::function<void(TAboutBox&)>& act) {
    QTimer opened;
    opened.setSingleShot(true);
    QObject::connect(&opened, &QTimer::timeout, &box, [&] { act(box); });
    opened.start(0);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &box, [&] {
        ADD_FAILURE() << "the About box did not close";
        box.done(-1);
    });
    guard.start(10'000);
    return box.exec();
}

TEST(AboutBox, OpenedBeforeTheTimerHasNoButtonAndClosesItselfWithCancel) {
    TAboutBox box;
    EXPECT_TRUE(box.Timer1->isActive());  // started at creation, not at showing
    bool buttonWhileOpen = true;
    const int result = ExecWith(box, [&](TAboutBox& b) {
        buttonWhileOpen = b.OKButton->isVisible();
        b.Timer1Timer();
    });
    EXPECT_FALSE(buttonWhileOpen);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(box.Timer1->isActive());
    EXPECT_TRUE(box.OKButton->isVisibleTo(&box));
}

TEST(AboutBox, TheRealTimerEndsAnOpenBox) {
    // A zero interval fires at the modal loop's first pass, so nothing here waits.
    TAboutBox box(nullptr, 0ms);
    EXPECT_EQ(ExecWith(box, [](TAboutBox&) {}), QDialog::Rejected);
    EXPECT_FALSE(box.Timer1->isActive());
    EXPECT_TRUE(box.OKButton->isVisibleTo(&box));
}

TEST(AboutBox, OpenedAfterTheTimerShowsValeAndStaysOpen) {
    TAboutBox box(nullptr, 0ms);
    QCoreApplication::processEvents();  // the timer fires while the box is hidden
    EXPECT_FALSE(box.Timer1->isActive());
    EXPECT_FALSE(box.isVisible());

    for (const auto& closeIt : std::initializer_list<std::function<void(TAboutBox&)>>{
             [](TAboutBox& b) { QTest::keyClick(&b, Qt::Key_Return); },
             [](TAboutBox& b) { b.OKButton->click(); }}) {
        bool buttonShown = false;
        bool stillOpen = false;
        const int result = ExecWith(box, [&](TAboutBox& b) {
            buttonShown = b.OKButton->isVisible();
            QCoreApplication::processEvents();
            stillOpen = b.isVisible();
            closeIt(b);
        });
        EXPECT_TRUE(buttonShown);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(result, QDialog::Accepted);
    }

    // The close box ends it too, with the cancel result the window ignores.
    EXPECT_EQ(ExecWith(box, [](TAboutBox& b) { b.close(); }), QDialog::Rejected);
}

TEST(AboutBox, DescriptionKeepsItsLinesWithTheirTrailingBlanksAndEndsInASentence) {
    TAboutBox box;
    EXPECT_EQ(box.Memo1->toPlainText().split('\n'),
              (QStringList{"Programador de microcontroladores atmel y de memorias 24CXXX via "
                           "puerto paralelo. El circuito ",
                           "programador es un Velcor modificado. Para mas informacion y "
                           "versiones recientes visita ",
                           "la pagina del proyecto Tarpel."}));
    EXPECT_TRUE(box.Memo1->isReadOnly());
    EXPECT_FALSE(box.Memo1->isEnabled());
    // The picture is drawn at its own size and stretched to the control.
    EXPECT_EQ(box.Image1->pixmap().size(), QSize(293, 149));
    EXPECT_TRUE(box.Image1->hasScaledContents());
}

}  // namespace
}  // namespace tarpel::ui
