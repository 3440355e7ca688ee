// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main window's menu bar, its menus and their items, as the window's layout names them. The
// window builds it (TVentanaMenu.cpp); the items' handlers live with the page or dialog they
// work on.
class QAction;
class QMenu;

namespace tarpel::ui {

struct MainMenu {
    QMenu* Ficheros1 = nullptr;
    QAction* Salir1 = nullptr;
    // The 24CXXX page's commands, with their keys.
    QMenu* Memoria1 = nullptr;
    QAction* Abrir1 = nullptr;
    QAction* Guardar1 = nullptr;
    QAction* Leerchip1 = nullptr;
    QAction* Grabarchip1 = nullptr;
    QAction* Verificar1 = nullptr;
    QAction* N3 = nullptr;  // separator before the commands that compare and detect
    QAction* N4 = nullptr;  // separator before the editing commands
    QAction* Deshacer1 = nullptr;
    QAction* Rehacer1 = nullptr;
    QAction* Irdireccion1 = nullptr;
    QAction* Rellenar1 = nullptr;
    // Find in the image, and the page's recent files (TVentanaFind.cpp, TVentanaRecent.cpp).
    QAction* Buscar1 = nullptr;
    QAction* Buscarsiguiente1 = nullptr;
    QAction* Buscaranterior1 = nullptr;
    QMenu* Recientes1 = nullptr;
    // The AVR page's menu: its recent files.
    QMenu* Avr1 = nullptr;
    QMenu* RecientesAvr1 = nullptr;
    QMenu* Configuracion1 = nullptr;
    QAction* Configuracion2 = nullptr;
    QAction* N2 = nullptr;
    QAction* Checkearvelcor1 = nullptr;
    QAction* Comprobacionmanual1 = nullptr;
    QMenu* Ayuda1 = nullptr;
    QAction* Acercade1 = nullptr;
};

}  // namespace tarpel::ui
