// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <vector>

#include "WindowRig.h"
#include "shell/Translate.h"

namespace tarpel::ui {
namespace {

TEST(MainWindow, CaptionPagesAndFont) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    EXPECT_EQ(window.windowTitle(), "Tarpel v1.5 ATMega8515    ");
    ASSERT_EQ(window.PageControl1->count(), 2);
    EXPECT_EQ(window.PageControl1->tabText(0), "AT8515/MEGA8515/AT4414");
    EXPECT_EQ(window.PageControl1->widget(0)->objectName(), "TabSheet2");
    EXPECT_EQ(window.PageControl1->tabText(1), "24CXXX");
    EXPECT_EQ(window.PageControl1->widget(1)->objectName(), "ts24CXXX");
    EXPECT_EQ(window.font().pixelSize(), 13);
}

TEST(MainWindow, ControlsCarryTheirNamesCaptionsAndToolTips) {
    struct Control {
        const char* name;
        const char* caption;
        const char* toolTip;
    };
    const Control buttons[] = {
        {"btnTipo", "Identificar micro", "Checkear tipo de atmel..."},
        {"btnBorrar", "Borrar chip", "Borra la flash y eeprom del chip"},
        {"btnProgFlash", "Programar flash...", ""},
        {"BitBtn1", "Programar eeprom int...", ""},
        {"BitBtn2", "Reprogramar flash...", ""},
        {"btnTestBlank", "Blank-test", "Comprueba que la flash y la eeprom esten vacios..."},
        {"btnLeerFlash", "Leer flash...", ""},
        {"btnLeerEEPInt", "Leer eeprom interna...", ""},
        {"btnFLashVerif", "Verificar flash...", "Compara el contenido de un archivo con la flash..."},
        {"btnEEPInt", "Verificar eeprom interna...", "Compara el contenido de un archivo con la eeprom interna..."},
        {"btnCopiaSeguridad", "Copia de seguridad...",
         "Guarda la flash, la eeprom interna, los fuses, los bits de bloqueo y la firma del micro en un fichero ELF..."},
        {"btnRestaurarCopia", "Restaurar copia...", "Borra el micro y le graba una copia de seguridad ELF, con sus fuses..."},
        {"btnProduccion", "Produccion...",
         "Graba un chip tras otro con el mismo fichero, cada uno con su numero de serie, y los anota en un registro..."},
        {"btnLeerFuses", "Leer", ""},
        {"btnGrabarFuses", "Grabar", ""},
    };
    test::WindowRig rig;
    TVentana& window = rig.Start();
    for (const Control& c : buttons) {
        const auto* button = window.findChild<QPushButton*>(c.name);
        ASSERT_NE(button, nullptr) << c.name;
        EXPECT_EQ(button->text(), c.caption) << c.name;
        EXPECT_EQ(button->toolTip(), c.toolTip) << c.name;
        EXPECT_FALSE(button->icon().isNull()) << c.name;
        EXPECT_EQ(button->isVisibleTo(&window), std::string(c.name) != "BitBtn2") << c.name;
    }
    // The tool tips give the keys of the same commands in the "Memoria" menu.
    const Control tools[] = {{"ToolButton1", "", "Abrir fichero... (Ctrl+O)"},
                             {"ToolButton2", "", "Guardar fichero... (Ctrl+S)"},
                             {"ToolButton4", "", "Leer chip (F5)"},
                             {"ToolButton5", "", "Programar chip (F6)"},
                             {"ToolButton9", "", "Verificar chip (F7)"},
                             {"ToolButton11", "", "Acerca de..."}};
    for (const Control& c : tools) {
        const auto* tool = window.findChild<QToolButton*>(c.name);
        ASSERT_NE(tool, nullptr) << c.name;
        EXPECT_EQ(tool->toolTip(), c.toolTip) << c.name;
        EXPECT_EQ(tool->icon().actualSize(QSize(16, 16)), QSize(16, 16)) << c.name;
    }
    EXPECT_EQ(window.IL.size(), 6);
}

TEST(MainWindow, MenuHoldsItsItemsWithTheDeveloperOnesHidden) {
    struct Item {
        const char* name;
        const char* caption;
        bool visible;
    };
    const Item items[] = {{"Salir1", "&Salir", true},
                          {"Configuracion2", "&Configuracion...", true},
                          {"N2", "", false},
                          {"Checkearvelcor1", "Checkear velcor...", false},
                          {"Comprobacionmanual1", "Comprobacion &manual...", false},
                          {"Acercade1", "&Acerca de...", true},
                          {"Abrir1", "&Abrir fichero...", true},
                          {"Guardar1", "&Guardar fichero...", true},
                          {"Leerchip1", "&Leer chip", true},
                          {"Grabarchip1", "&Programar chip", true},
                          {"Verificar1", "&Verificar chip", true},
                          {"Deshacer1", "&Deshacer", true},
                          {"Rehacer1", "&Rehacer", true},
                          {"Irdireccion1", "&Ir a direccion...", true},
                          {"Rellenar1", "R&ellenar...", true},
                          {"Buscar1", "&Buscar...", true},
                          {"Buscarsiguiente1", "Buscar &siguiente", true},
                          {"Buscaranterior1", "Buscar a&nterior", true},
                          {"Compararconfichero1", "&Comparar con fichero...", true},
                          {"Detectarchip1", "De&tectar chip", true}};
    test::WindowRig rig;
    TVentana& window = rig.Start();
    QStringList menus;
    for (const QAction* action : window.menuBar()->actions()) menus << action->text();
    EXPECT_EQ(menus, (QStringList{"&Programa", "&AVR", "&Memoria", "&Hardware", "A&yuda"}));
    for (const Item& item : items) {
        const auto* action = window.findChild<QAction*>(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), item.caption) << item.name;
        EXPECT_EQ(action->isVisible(), item.visible) << item.name;
    }
    EXPECT_TRUE(window.menu.N2->isSeparator());
}

TEST(MainWindow, EachMenuHasItsOwnLettersAndTabCrossesTheAvrPageAsItReads) {
    for (const auto language : {Language::English, Language::Spanish}) {
        UseLanguage(language);
        test::WindowRig window;
        for (const QMenu* menu : window.Start().menuBar()->findChildren<QMenu*>()) {
            QString letters;
            for (const QAction* action : menu->actions()) {
                const qsizetype mark = action->text().indexOf('&');
                if (!action->isVisible() || mark < 0) continue;
                EXPECT_FALSE(letters.contains(action->text().at(mark + 1).toLower())) << action->text().toStdString();
                letters += action->text().at(mark + 1).toLower();
            }
        }
    }
    test::WindowRig rig;
    TVentana& window = rig.Start();
    // The device column first, then the programming one, the reading column (LECTURA) last.
    std::vector<const QWidget*> chain{window.avrPage.btnTipo};
    while (chain.size() < 200) chain.push_back(chain.back()->nextInFocusChain());
    const auto place = [&](const QWidget* widget) {
        return std::find(chain.begin(), chain.end(), widget) - chain.begin();
    };
    EXPECT_LT(place(window.avrPage.cbBOOTRST), place(window.avrPage.btnBorrar));
    EXPECT_LT(place(window.avrPage.btnProduccion), place(window.avrPage.btnTestBlank));
    EXPECT_LT(place(window.avrPage.btnTestBlank), place(window.avrPage.btnCopiaSeguridad));
}

TEST(MainWindow, FuseControlsStartEmptyWithSerialProgrammingLockedOn) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    EXPECT_EQ(window.avrPage.cbXTAL->count(), 8);
    EXPECT_EQ(window.avrPage.cbXTAL->itemText(7), "Extrnal XTAL");
    EXPECT_EQ(window.avrPage.cbSUT->itemText(1), "4.1 ms");
    EXPECT_EQ(window.avrPage.cbBootSize->itemText(3), "128 w");
    for (const QComboBox* list : {window.avrPage.cbXTAL, window.avrPage.cbSUT, window.avrPage.cbBootSize})
        EXPECT_EQ(list->currentIndex(), -1);
    for (const QCheckBox* check : window.findChildren<QCheckBox*>()) {
        const bool spien = check == window.avrPage.cbSPIEN;
        EXPECT_EQ(check->isChecked(), spien) << check->objectName().toStdString();
        EXPECT_EQ(check->isEnabled(), !spien) << check->objectName().toStdString();
    }
    EXPECT_EQ(window.findChildren<QCheckBox*>().size(), 8);
    EXPECT_EQ(window.avrPage.lbTipo->text(), "??");
}

TEST(MainWindow, EscClicksBlankTestOnTheAvrPageOnly) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    QSignalSpy blank(window.avrPage.btnTestBlank, &QPushButton::clicked);
    QSignalSpy erase(window.avrPage.btnBorrar, &QPushButton::clicked);

    QTest::keyClick(window.avrPage.btnLeerFlash, Qt::Key_Escape);  // the key reaches the window from a button
    EXPECT_EQ(blank.count(), 1);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(blank.count(), 2);

    window.avrPage.btnTestBlank->setEnabled(false);  // the next cancel button takes it
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(erase.count(), 1);
    window.avrPage.btnTestBlank->setEnabled(true);

    window.PageControl1->setCurrentWidget(window.eepromPage.ts24CXXX);
    QTest::keyClick(window.eepromPage.SG, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(blank.count(), 2);
    EXPECT_EQ(erase.count(), 1);
}

TEST(MainWindow, CheckearVelcorRunsTheBoardCheckThroughTheWindowShell) {
    test::WindowRig rig;
    rig.port.status = 0x7F;  // the SDA return reads high whatever is driven
    TVentana& window = rig.Start();
    window.menu.Checkearvelcor1->trigger();
    ASSERT_EQ(rig.runner.boxes.size(), 1u);
    EXPECT_EQ(rig.runner.boxes[0].caption, "ERROR");
    EXPECT_EQ(rig.runner.boxes[0].text, "El Velcor NO responde correctamente!!!");
    EXPECT_EQ(rig.port.Last(), 0x00);
}

}  // namespace
}  // namespace tarpel::ui
