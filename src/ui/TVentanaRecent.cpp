// SPDX-License-Identifier: GPL-2.0-or-later
// The "Ficheros recientes" menus: one in the 24CXXX page's menu, one in the AVR page's. A file
// chosen there comes in as a dropped one does: opened into the image, or asked what it is for.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include <functional>

#include "ui/RecentFiles.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

QMenu* MakeRecentMenu(const QString& name, QWidget* parent) {
    auto* recent = new QMenu(TrQ("Fic&heros recientes"), parent);
    recent->setObjectName(name);
    return recent;
}

// "&1 /home/ana/placa.hex": numbered for the keyboard, the path as the user writes it.
void FillRecentMenu(QMenu& recent, const QStringList& files, const std::function<void(const QString&)>& use) {
    // Later, not now: the menu is filled again while one of its items still sends its signal.
    for (QAction* old : recent.actions()) {
        recent.removeAction(old);
        old->deleteLater();
    }
    for (int i = 0; i < files.size(); ++i) {
        QString path = QDir::toNativeSeparators(files[i]);
        path.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = recent.addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        QObject::connect(item, &QAction::triggered, &recent, [use, file = files[i]] { use(file); });
    }
}

}  // namespace

void TVentana::BuildRecentMenus() {
    menu.Recientes1 = MakeRecentMenu(QStringLiteral("Recientes1"), this);
    // Beside the commands that open and save a file.
    const QList<QAction*> items = menu.Memoria1->actions();
    const qsizetype after = items.indexOf(menu.Guardar1) + 1;
    menu.Memoria1->insertMenu(after < items.size() ? items[after] : nullptr, menu.Recientes1);
    menu.Avr1 = new QMenu(QStringLiteral("&AVR"), this);
    menu.Avr1->setObjectName(QStringLiteral("Avr1"));
    menuBar()->insertMenu(menu.Memoria1->menuAction(), menu.Avr1);
    menu.RecientesAvr1 = MakeRecentMenu(QStringLiteral("RecientesAvr1"), this);
    menu.Avr1->addMenu(menu.RecientesAvr1);
    // Filled as they open, from the settings then: files removed since are left out.
    connect(menu.Recientes1, &QMenu::aboutToShow, this, [this] {
        FillRecentMenu(*menu.Recientes1, recentEeprom_->Existing(),
                       [this](const QString& file) { OpenEepromFile(file); });
    });
    connect(menu.RecientesAvr1, &QMenu::aboutToShow, this, [this] {
        FillRecentMenu(*menu.RecientesAvr1, recentAvr_->Existing(),
                       [this](const QString& file) { UseAvrFile(file); });
    });
}

}  // namespace tarpel::ui
