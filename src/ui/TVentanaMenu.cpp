// SPDX-License-Identifier: GPL-2.0-or-later
// Builds the main window's menu bar; the handlers of its items are with the page or dialog they
// work on.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

QAction* MakeAction(const QString& name, const QString& caption, QMenu* menu, bool visible = true) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setVisible(visible);
    return action;
}

QAction* MakeAction(const QString& name, const QString& caption, QMenu* menu, const QKeySequence& key) {
    QAction* action = MakeAction(name, caption, menu);
    action->setShortcut(key);
    return action;
}

}  // namespace

void TVentana::BuildMenu() {
    menu.Ficheros1 = menuBar()->addMenu(TrQ("&Programa"));
    menu.Ficheros1->setObjectName(QStringLiteral("Ficheros1"));
    menu.Salir1 = MakeAction(QStringLiteral("Salir1"), TrQ("&Salir"), menu.Ficheros1);

    menu.Memoria1 = menuBar()->addMenu(TrQ("&Memoria"));
    menu.Memoria1->setObjectName(QStringLiteral("Memoria1"));
    menu.Abrir1 = MakeAction(QStringLiteral("Abrir1"), TrQ("&Abrir fichero..."), menu.Memoria1,
                             QKeySequence(Qt::CTRL | Qt::Key_O));
    menu.Guardar1 = MakeAction(QStringLiteral("Guardar1"), TrQ("&Guardar fichero..."), menu.Memoria1,
                               QKeySequence(Qt::CTRL | Qt::Key_S));
    menu.Memoria1->addSeparator();
    menu.Leerchip1 =
        MakeAction(QStringLiteral("Leerchip1"), TrQ("&Leer chip"), menu.Memoria1, QKeySequence(Qt::Key_F5));
    menu.Grabarchip1 =
        MakeAction(QStringLiteral("Grabarchip1"), TrQ("&Programar chip"), menu.Memoria1, QKeySequence(Qt::Key_F6));
    menu.Verificar1 =
        MakeAction(QStringLiteral("Verificar1"), TrQ("&Verificar chip"), menu.Memoria1, QKeySequence(Qt::Key_F7));
    menu.N3 = menu.Memoria1->addSeparator();
    menu.N3->setObjectName(QStringLiteral("N3"));
    menu.N4 = menu.Memoria1->addSeparator();
    menu.N4->setObjectName(QStringLiteral("N4"));
    menu.Deshacer1 =
        MakeAction(QStringLiteral("Deshacer1"), TrQ("&Deshacer"), menu.Memoria1, QKeySequence(Qt::CTRL | Qt::Key_Z));
    menu.Rehacer1 = MakeAction(QStringLiteral("Rehacer1"), TrQ("&Rehacer"), menu.Memoria1);
    menu.Rehacer1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    menu.Irdireccion1 = MakeAction(QStringLiteral("Irdireccion1"), TrQ("&Ir a direccion..."), menu.Memoria1,
                                   QKeySequence(Qt::CTRL | Qt::Key_G));
    menu.Rellenar1 = MakeAction(QStringLiteral("Rellenar1"), TrQ("R&ellenar..."), menu.Memoria1);

    menu.Configuracion1 = menuBar()->addMenu(QStringLiteral("&Hardware"));
    menu.Configuracion1->setObjectName(QStringLiteral("Configuracion1"));
    menu.Configuracion2 = MakeAction(QStringLiteral("Configuracion2"), TrQ("&Configuracion..."), menu.Configuracion1);
    menu.N2 = menu.Configuracion1->addSeparator();
    menu.N2->setObjectName(QStringLiteral("N2"));
    menu.N2->setVisible(false);
    // Present but never offered: their commands exist for the developer only.
    menu.Checkearvelcor1 =
        MakeAction(QStringLiteral("Checkearvelcor1"), TrQ("Checkear velcor..."), menu.Configuracion1, false);
    menu.Comprobacionmanual1 =
        MakeAction(QStringLiteral("Comprobacionmanual1"), TrQ("Comprobacion &manual..."), menu.Configuracion1, false);

    menu.Ayuda1 = menuBar()->addMenu(TrQ("A&yuda"));
    menu.Ayuda1->setObjectName(QStringLiteral("Ayuda1"));
    menu.Acercade1 = MakeAction(QStringLiteral("Acercade1"), TrQ("&Acerca de..."), menu.Ayuda1);
}

}  // namespace tarpel::ui
