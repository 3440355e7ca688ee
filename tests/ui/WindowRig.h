// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main window on test doubles: a recording port on a fake clock, settings in a temporary
// INI file, and a modal runner that records instead of blocking. Start() builds the windows the
// way the program does (Forms); Stop() destroys them, which runs the shut-down.
#include <QString>

#include <memory>
#include <utility>

#include "FakeClock.h"
#include "RecordingModalRunner.h"
#include "RecordingPort.h"
#include "TempFolder.h"
#include "ui/Forms.h"
#include "ui/SettingsStore.h"

namespace tarpel::test {

class WindowRig {
public:
    TempFolder folder;
    FakeClock clock;
    RecordingPort port{&clock};
    ui::SettingsStore settings{QString::fromStdString(folder.Path("TARPEL.ini"))};
    RecordingModalRunner runner;
    std::unique_ptr<ui::SettingsStore> ownStore;  // a store of the test's own kind, on the same file
    std::unique_ptr<ui::Forms> forms;             // last: the windows go before everything they use

    // Makes the window use a store of another kind (e.g. one that logs) instead of `settings`.
    template <typename Store, typename... Args>
    Store& UseStore(Args&&... args) {
        auto store = std::make_unique<Store>(settings.FileName(), std::forward<Args>(args)...);
        Store& result = *store;
        ownStore = std::move(store);
        return result;
    }

    ui::TVentana& Start(const QString& description = QStringLiteral("Placa: simulada"), const QString& error = {}) {
        ui::SettingsStore& store = ownStore ? *ownStore : settings;
        forms = std::make_unique<ui::Forms>(ui::TVentana::Dependencies{port, clock, store, runner, description, error});
        return *forms->Ventana;
    }
    void Stop() { forms.reset(); }
    ui::TVentana& Window() { return *forms->Ventana; }
};

}  // namespace tarpel::test
