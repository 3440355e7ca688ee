// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main window: the AVR page and the 24CXXX page, each page's widgets in a struct of its own;
// the menu; the shared file dialogs; start-up (FormCreate) and shut-down (FormDestroy) with the
// settings. It holds the program state that the commands work on (line layer, bit timing, 24Cxx
// workspace) and hands it to them; the commands themselves live in board/, eeprom/ and avr/ and
// speak to the user only through the QtShell.
#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>

#include "avr/AvrView.h"
#include "avr/CommandFrame.h"
#include "avr/FuseMemory.h"
#include "avr/FusePanel.h"
#include "eeprom/CommandFrame.h"
#include "eeprom/EepromWorkspace.h"
#include "link/BitTiming.h"
#include "link/BoardLines.h"
#include "port/Clock.h"
#include "port/Port.h"
#include "shell/ReentryGuard.h"
#include "ui/FileDialog.h"
#include "ui/ImageHistory.h"
#include "ui/QtShell.h"
#include "ui/RecentFiles.h"
#include "ui/TVentanaAvrPage.h"
#include "ui/TVentanaEepromPage.h"
#include "ui/TVentanaMenu.h"
#include "ui/TformProduccion.h"
#include "ui/TrQ.h"

class QLabel;
class QTabWidget;
class QTimer;

namespace tarpel::ui {

class DifferenceList;
class FindDialog;
class HexGridModel;
class ImageHistory;
class ModalRunner;
class TAboutBox;
class TformConfig;
class TformManual;
class SettingsStore;
class TformProgreso;

// The window is also what the AVR commands show their results on: the device caption (lbTipo)
// and the fuse panel.
class TVentana : public QMainWindow, public avr::AvrView, public avr::FusePanel {
    Q_OBJECT

public:
    struct Dependencies {
        port::Port& port;
        port::Clock& clock;
        SettingsStore& settings;
        ModalRunner& modalRunner;
        QString boardDescription;  // for the status bar, e.g. "Placa: simulada"
        QString boardError;        // why the board could not be opened; empty when it could
        // Puts the next chip of a production run in the socket: the simulated board's new
        // virtual chip; empty on a real board, where the user changes it.
        std::function<void()> nextChip = {};
    };

    // Builds the window and runs FormCreate. The port is not written here.
    explicit TVentana(const Dependencies& dependencies, QWidget* parent = nullptr);
    // Runs FormDestroy if nobody did before.
    ~TVentana() override;

    // Shut-down: every board line off (data byte 0x00) first, then the settings written back.
    // Runs once; later calls do nothing.
    void FormDestroy();

    // Rebuilds the grid from the memory image, keeping the mouse cursor it found.
    void RefreshGrid();

    // The steps of the image that Ctrl+Z and Ctrl+Y go through, and the grid's marks.
    ImageHistory& History() { return *history_; }
    // The file the image was last loaded from or saved to; empty when none.
    const QString& ImageFile() const { return imageFile_; }

    // The files named when the program starts (TVentanaDoors.cpp): an eepromFile is opened into the
    // image and shows the 24CXXX page; an avrFile becomes the AVR page's file and shows that page.
    void OpenStartFiles(const QString& eepromFile, const QString& avrFile);
    // A file for the 24CXXX page (a drop, a recent file): opened into the image as "Abrir
    // fichero..." opens it, after the question about unsaved bytes. True when it was opened.
    bool OpenEepromFile(const QString& file);
    // A file for the AVR page: asks what it is for (programming or verifying the flash or the
    // EEPROM) and runs that command on it as its button would, without the open dialog.
    void UseAvrFile(const QString& file);

    void AttachProgressDialog(TformProgreso& dialog);
    void AttachDialogs(TAboutBox& about, TformConfig& config, TformManual& manual);

    // True while a chip command runs (and lets the message loop run between its steps).
    bool CommandRunning() const { return commandRunning_; }

    link::BoardLines& Lines() { return lines_; }
    link::BitTiming& Timing() { return timing_; }
    port::Clock& Clock() { return clock_; }
    eeprom::EepromWorkspace& Workspace() { return workspace_; }
    QtShell& Shell() { return shell_; }

    // avr::AvrView and avr::FusePanel.
    void SetDeviceCaption(std::string_view caption) override;
    void DifferencesFound(std::string_view memoryName, std::span<const files::ByteDifference> differences) override;
    void LockBitsKnown(std::uint8_t lockByte) override;
    avr::FuseSettings Settings() const override;
    void ShowSettings(const avr::FuseSettings& settings) override;
    void ShowDeviceFuses(avr::DeviceKind kind, avr::FuseBytes bytes) override;
    std::optional<DeviceFuses> ShownDeviceFuses() const override;

    // The shared file dialogs.
    FileDialog OD{FileDialog::Mode::Open, TrQ("Abrir fichero")};
    FileDialog SD{FileDialog::Mode::Save, TrQ("Guardar fichero")};

    // Controls, named as the window's layout names them: the menu's items, and each page's
    // widgets, in a struct of their own; the page control and the status bar.
    MainMenu menu;
    QTabWidget* PageControl1 = nullptr;
    AvrPage avrPage;
    EepromPage eepromPage;
    QList<QIcon> IL;                            // the icons of the toolbar and the AVR page's buttons
    DifferenceList* formDiferencias = nullptr;  // opens beside the window after a comparison
    QLabel* lbPlaca = nullptr;   // status bar: the board in use
    QLabel* lbEstado = nullptr;  // status bar: what the last command did and how long it took
    QLabel* lbRapido = nullptr;  // status bar: "Modo rapido" while the fast timing is on

public slots:
    // The window's own commands.
    void Salir1Click();
    void Checkearvelcor1Click();
    void Acercade1Click();
    void Configuracion2Click();
    void Comprobacionmanual1Click();

    // The 24CXXX page.
    void cbChipChange();
    void Abrir1Click();
    void Guardar1Click();
    void Leerchip1Click();
    void Grabarchip1Click();
    void Programarcambios1Click();  // TVentanaChanges.cpp
    void Verificar1Click();
    void Compararconfichero1Click();
    void Detectarchip1Click();
    void Deshacer1Click();
    void Rehacer1Click();
    void Irdireccion1Click();
    void Rellenar1Click();
    void Buscar1Click();
    void Buscarsiguiente1Click();
    void Buscaranterior1Click();

    // The AVR page.
    void btnTipoClick();
    void btnBorrarClick();
    void btnProgFlashClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void btnTestBlankClick();
    void btnLeerFlashClick();
    void btnLeerEEPIntClick();
    void btnFLashVerifClick();
    void btnEEPIntClick();
    void btnCopiaSeguridadClick();
    void btnRestaurarCopiaClick();
    void btnLeerFusesClick();
    void btnGrabarFusesClick();
    void btnLeerLockClick();
    void btnGrabarLockClick();

    // "Produccion..." on either page (TVentanaProduction.cpp).
    void btnProduccionClick();
    void ToolButtonProduccionClick();

protected:
    // Esc on the AVR page clicks its first cancel button that can take it ("Blank-test");
    // on the 24CXXX page it does nothing.
    void keyPressEvent(QKeyEvent* event) override;
    // The window cannot be closed while a command drives the board; it closes once it ends.
    // With typed bytes unsaved it asks first, and "Cancelar" keeps it open.
    void closeEvent(QCloseEvent* event) override;
    // A local file dropped on a page: opened on the 24CXXX page, asked about on the AVR page.
    // Refused while a command runs.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Each in a file of its own: TVentanaMenu.cpp, TVentanaAvrPage.cpp, TVentanaEepromPage.cpp.
    void BuildMenu();
    void BuildAvrPage();
    void BuildEepromPage();
    void BuildStatusBar();
    void LayOutGrid();
    void FormCreate();
    // The "RAPIDO" and "COMPROBAR_AL_PROGRAMAR" settings ("SI" or "NO"): the fast timing of
    // timing_, which both chip sides read, and the read-back after "Programar chip" (on unless "NO").
    void ReadSwitches();
    void SetFastTiming(bool fast);
    void ReportBoardError();

    // Runs a chip command with every other command of the window disabled, so that nothing
    // started from the message processing inside it can interleave with it on the board lines.
    // The progress dialog is a window of its own and keeps its "Cancelar..." working. A command
    // that returns its outcome gets its line in the status bar, timed on the window's clock.
    // False when it did not run because another command is running.
    template <typename Command>
    bool RunCommand(Command&& command, const QString& name = {}) {
        const shell::ReentryGuard running(commandRunning_);
        if (!running) return false;
        CommandScope scope(*this);
        if constexpr (std::is_void_v<std::invoke_result_t<Command&>>) {
            command();
        } else {
            shell_.TakeReport();
            const std::uint32_t start = clock_.GetTickCount();
            statusCommand_ = name;
            statusStart_ = start;
            const shell::CommandOutcome outcome = command();
            statusCommand_.clear();
            ShowCommandStatus(name, outcome, clock_.GetTickCount() - start);
        }
        ReportBoardFailure();
        return true;
    }
    // An AVR command: both gauges start from 0, so that no gauge of an earlier run stays full
    // beside this one's error.
    template <typename Command>
    void RunAvrCommand(Command&& command, const QString& name) {
        RunCommand(
            [&] {
                ResetGauges();
                return command();
            },
            name);
    }
    void ResetGauges();
    // The status bar's line: what the command reported of itself (or, failing that, its name and
    // outcome), with the time it took.
    void ShowCommandStatus(const QString& name, shell::CommandOutcome outcome, std::uint32_t elapsedMs);
    // The line of a command that reported itself, with the time it took.
    void ShowReportStatus(const QtShell::CommandReport& report, std::uint32_t elapsedMs);
    // Before a box of the running command: its report so far, or that it is under way.
    void ShowStatusBeforeBox();
    // The fast timing's note on the status bar, shown while it is on.
    void ShowTimingStatus();
    // lbSumas from the image as it is now.
    void ShowImageChecksums();
    // The 24Cxx image's differences: marked in the grid, listed beside the window.
    void ShowImageDifferences(std::span<const files::ByteDifference> differences);
    // The image has changed under a comparison: its marks go and its list closes.
    void ForgetImageDifferences();
    // What a running command's window looks like, beside the guard that marks it as running:
    // controls disabled, cancel and port failure cleared, and a close asked for meanwhile done after.
    class CommandScope {
    public:
        explicit CommandScope(TVentana& window);
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

    private:
        TVentana& window_;
    };
    void SetCommandsEnabled(bool enabled);
    // After a command: what the board itself reports (a port that stopped working, a simulated
    // chip that could not be saved), in an "ERROR" box.
    void ReportBoardFailure();
    // A close or quit request while a command runs: it is cancelled, and the window closes once
    // it has ended.
    void CloseAfterCommand();

    // Signal connections, one group per source file of handlers.
    void ConnectShellHandlers();
    void ConnectDialogHandlers();
    void ConnectEepromHandlers();
    void ConnectAvrHandlers();
    void ConnectProductionHandlers();
    void ConnectDoorHandlers();
    void ConnectFindHandlers();

    // The AVR page's file commands: a file they used (a dialog not cancelled) becomes a recent one.
    void RunAvrFileCommand(const std::function<shell::CommandOutcome()>& command, const QString& name);
    // The "Ficheros recientes" menus of both pages, filled from the settings as they open.
    void BuildRecentMenus();
    void AddRecentEepromFile(const QString& file);
    // After the image was replaced by a file: the undo step, the title, the recent files.
    void ImageOpened(ImageHistory::State before, const QString& file);
    // The next (or previous) hit of the find dialog's bytes in the image, from the grid's cell.
    void FindInImage(bool backwards);

    // One chip of a production run on each page, as one command of the window.
    production::ChipResult ProduceAvrChip(const TformProduccion::Files& files, const production::PlacedSerial* serial);
    production::ChipResult ProduceEepromChip(const TformProduccion::Files& files,
                                             const production::PlacedSerial* serial);
    void RunProduction(const TformProduccion::Page& page);

    // The 24CXXX page's editing: the undo history, the typed bytes, the window title.
    void BuildImageHistory();
    void ByteTyped(int address, int value, bool complete);
    void ShowChipWithoutChange(int index);
    // The caption names the image's file and marks it "*" while it holds unsaved changes.
    void UpdateTitle();
    // Selects the bytes first .. last in the grid's hex pane and shows the first.
    void SelectBytes(int first, int last);
    // The menu's 24CXXX commands show the page they work on.
    void ShowEepromPage();

    // Before the image goes (quit, another file, a chip read, another chip): while it holds typed
    // bytes, asks whether to save them. True to go on: saved, or "No"; false after "Cancelar" or a
    // save that did not happen. A second quit request while it asks (a termination signal, with
    // no one at the screen perhaps) goes on without saving.
    bool MayDropEdits();
    // "Guardar fichero...": true when the image was saved.
    bool SaveImage();

    port::Port& port_;
    port::Clock& clock_;
    SettingsStore& settings_;
    ModalRunner& modalRunner_;
    QString boardDescription_;
    QString boardError_;
    std::function<void()> nextChip_;

    link::BoardLines lines_;
    link::BitTiming timing_;
    eeprom::EepromWorkspace workspace_;
    QtShell shell_;
    eeprom::CommandFrame eepromFrame_;
    avr::CommandFrame avrFrame_;
    avr::FuseMemory fuseMemory_;
    HexGridModel* gridModel_ = nullptr;
    ImageHistory* history_ = nullptr;
    QString imageFile_;
    TAboutBox* aboutBox_ = nullptr;
    TformConfig* formConfig_ = nullptr;
    TformManual* formManual_ = nullptr;
    bool destroyed_ = false;
    bool commandRunning_ = false;
    QTimer* checksumsTimer_ = nullptr;  // takes the image's sums once per pass of the message loop
    bool closeRequested_ = false;
    bool askingAboutEdits_ = false;
    bool quitWithoutAsking_ = false;
    // What the next list of 24Cxx differences compares the image with: the chip or a file.
    QString differenceSubject_;
    QString differenceFoundName_;
    std::unique_ptr<RecentFiles> recentEeprom_;
    std::unique_ptr<RecentFiles> recentAvr_;
    FindDialog* formBuscar_ = nullptr;
    // Where the last hit is: a search from its cell goes on past it rather than find it again.
    std::int32_t lastHit_ = -1;
    // The command whose line the status bar will show, while it runs; empty between commands.
    QString statusCommand_;
    std::uint32_t statusStart_ = 0;
};

}  // namespace tarpel::ui
