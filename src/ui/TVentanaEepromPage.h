// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The 24CXXX page's widgets, as the window's layout names them: the toolbar, the chip list with
// the image's sums, and the hex grid. The window builds and lays them out (TVentanaEepromPage.cpp);
// what the commands do is in TVentanaEeprom.cpp, the grid's editing in TVentanaEditing.cpp.
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QTableView;
class QToolBar;
class QToolButton;
class QWidget;

namespace tarpel::ui {

struct EepromPage {
    QWidget* ts24CXXX = nullptr;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton4 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton9 = nullptr;
    QToolButton* ToolButton11 = nullptr;
    QToolButton* ToolButtonProduccion = nullptr;  // beside "Programar chip": one chip after another
    // Toolbar actions that the Memoria menu shows as well.
    QAction* Compararconfichero1 = nullptr;
    QAction* Programarcambios1 = nullptr;  // beside "Programar chip", in the toolbar and the menu
    QAction* Detectarchip1 = nullptr;
    QFrame* Panel1 = nullptr;
    QComboBox* cbChip = nullptr;
    QLabel* lbSumas = nullptr;  // the image's CRC-32 and 16-bit sum
    QTableView* SG = nullptr;
};

}  // namespace tarpel::ui
