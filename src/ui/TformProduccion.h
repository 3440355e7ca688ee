// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Produccion...": one chip after another from the same file, each with its serial number from a
// counter file and its line in a CSV log, as tarpel-cli's production run does it. Enter programs
// the next chip; the counts of good and failed chips and the last verdict are shown large. The
// page that opens it decides what programming a chip means and whether the AVR's fields show;
// the settings are kept per page.
#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "production/ProductionRun.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarpel::shell {
class Shell;
}

namespace tarpel::ui {

class SettingsStore;

class TformProduccion final : public QDialog {
    Q_OBJECT

public:
    // What goes into each chip.
    struct Files {
        std::string file;
        std::string eepromFile;  // the AVR page's, beside a flash file that is no ELF
        bool lock = false;       // the AVR page's: the ELF file's .lock byte at the end
    };
    using ChipCommand = std::function<production::ChipResult(const Files&, const production::PlacedSerial*)>;

    // The page that opens the dialog.
    struct Page {
        bool avr = false;       // the eeprom file and the lock box show
        QString settingsPrefix;  // "PRODUCCION_AVR_": its values in the settings
        ChipCommand program;     // one chip, as one command of the window
    };
    // What the window lends it.
    struct Window {
        SettingsStore& settings;
        shell::Shell& shell;              // boxes and the open dialog
        std::function<void()> nextChip;  // empty on a real board: the user changes the chip
        std::function<double()> now;     // the board's clock, in seconds
        std::string boardDescription;    // for the log
    };

    TformProduccion(const Page& page, const Window& window, QWidget* parent = nullptr);

    // "Grabar chip" (Enter): the refusals, then one chip; every chip after the first is a new one.
    void btnGrabarClick();

    QLineEdit* edFichero;
    QPushButton* btnFichero;
    QLabel* lbEeprom;
    QLineEdit* edEeprom;
    QPushButton* btnEeprom;
    QCheckBox* cbBloquear;
    QCheckBox* cbSerie;
    QLineEdit* edSitio;
    QLineEdit* edContador;
    QPushButton* btnContador;
    QLineEdit* edRegistro;
    QPushButton* btnRegistro;
    QLabel* lbBuenos;
    QLabel* lbFallidos;
    QLabel* lbVeredicto;  // "OK" in green or "FALLO" in red; empty before the first chip
    QLabel* lbDetalle;    // the last chip's serial number and time
    QPushButton* btnGrabar;
    QPushButton* btnCerrar;

public slots:
    // Not while a chip is being programmed: the board is busy and the chip half written.
    void done(int result) override;

private:
    void Browse(QLineEdit* field, const char* caption);
    // The settings, or nothing after the box that says what is missing.
    std::optional<production::RunSettings> ReadSettings();
    void ShowVerdict(const production::ChipVerdict& verdict);
    void SetRunning(bool running);
    // The place and the counter only with "Numero de serie" checked.
    void EnableSerialFields();
    void Restore();
    void Store();
    QString Key(const char* name) const { return page_.settingsPrefix + QString::fromLatin1(name); }

    Page page_;
    Window window_;
    production::Tally tally_;
    bool chipUsed_ = false;  // the chip in the socket has been programmed: the next press is a new one
    bool running_ = false;
};

}  // namespace tarpel::ui
