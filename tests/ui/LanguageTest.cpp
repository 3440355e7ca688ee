// SPDX-License-Identifier: GPL-2.0-or-later
// The window in English: with the English catalogue its menus, buttons, hints, dialogs and
// message boxes speak English, and Qt's own buttons follow the program's language.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include "WindowRig.h"
#include "shell/Translate.h"
#include "ui/QtTexts.h"
#include "ui/TformProgreso.h"

namespace tarpel::test {
namespace {

class WindowLanguage : public ::testing::Test {
protected:
    void SetUp() override { UseLanguage(Language::English); }
    // The other tests of this program expect the Spanish texts.
    void TearDown() override { UseLanguage(Language::Spanish); }
};

TEST_F(WindowLanguage, EnglishCatalogueGivesEnglishCaptionsDialogsAndBoxes) {
    WindowRig rig;
    ui::TVentana& window = rig.Start();
    EXPECT_EQ(window.menu.Ficheros1->title(), QStringLiteral("&Program"));
    EXPECT_EQ(window.avrPage.btnProgFlash->text(), QStringLiteral("Program flash..."));
    EXPECT_EQ(window.avrPage.btnFLashVerif->toolTip(),
              QStringLiteral("Compares the contents of a file with the flash..."));
    EXPECT_EQ(window.avrPage.cbSPIEN->text(), QStringLiteral("Serial prog. enabled"));
    EXPECT_EQ(window.eepromPage.ToolButton4->toolTip(), QStringLiteral("Read chip (F5)"));
    EXPECT_EQ(rig.forms->formProgreso->btnCancelar->text(), QStringLiteral("Cancel..."));

    // A constant text of a command, shown through the window's shell.
    QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    ASSERT_EQ(rig.runner.boxes.size(), 1u);
    EXPECT_EQ(rig.runner.boxes[0].caption, QStringLiteral("ERROR"));
    EXPECT_TRUE(rig.runner.boxes[0].text.startsWith(QStringLiteral("No acknowledge from the chip!!!\n")) ||
                rig.runner.boxes[0].text.startsWith(QStringLiteral("The SDA line is held low!!!\n")))
        << rig.runner.boxes[0].text.toStdString();
    // The status line, numbers written the English way.
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Read chip: .* in \\d+\\.\\d s$")).match(window.lbEstado->text()).hasMatch())
        << window.lbEstado->text().toStdString();

    // The shared open dialog, cancelled.
    QTest::mouseClick(window.eepromPage.ToolButton1, Qt::LeftButton);
    ASSERT_EQ(rig.runner.fileDialogs.size(), 1u);
    EXPECT_EQ(rig.runner.fileDialogs[0].title, QStringLiteral("Open file"));
    EXPECT_EQ(rig.runner.fileDialogs[0].nameFilters.value(0), QStringLiteral("Intel HEX files (*.hex)"));
    rig.Stop();
}

// What a question box's buttons say once Qt's texts for `language` are installed.
QString YesButtonText(Language language) {
    QTranslator qtTexts;
    EXPECT_TRUE(ui::LoadQtTexts(qtTexts, language)) << "Qt's translations (qt6-translations-l10n) are missing";
    QCoreApplication::installTranslator(&qtTexts);
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    const QString text = box.button(QMessageBox::Yes)->text();
    QCoreApplication::removeTranslator(&qtTexts);
    return text;
}

TEST(QtTexts, QtsOwnButtonsFollowTheProgramsLanguage) {
    EXPECT_EQ(YesButtonText(Language::English), QStringLiteral("&Yes"));
    EXPECT_EQ(YesButtonText(Language::Spanish), QString::fromUtf8("&Sí"));
}

}  // namespace
}  // namespace tarpel::test
