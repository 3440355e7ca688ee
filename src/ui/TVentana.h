#pragma once
// The main window: the AVR page and the 24CXXX page with their buttons, toolbar, fuse panel,
// gauges and hex grid; the menu; the shared file dialogs; start-up (FormCreate) and shut-down
// (FormDestroy) with the settings. It holds the program state that the commands work on (line
// layer, bit timing, 24Cxx workspace) and hands it to them; the commands themselves live in
// hw/, eeprom/ and avr/ and speak to the user only through the QtShell.
#include <QMainWindow>
#include <QString>

#include <cstdint>
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
#include "ui/QtShell.h"
#include "ui/TrQ.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace tarpel::ui {

class DifferenceList;
class HexGridModel;
class ImageHistory;
class ModalRunner;
class TAboutBox;
class TformConfig;
class TformManual;
class SettingsStore;
class TGauge;
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
    avr::FuseSettings Settings() const override;
    void ShowSettings(const avr::FuseSettings& settings) override;

    // The shared file dialogs.
    FileDialog OD{FileDialog::Mode::Open, TrQ("Abrir fichero")};
    FileDialog SD{FileDialog::Mode::Save, TrQ("Guardar fichero")};

    // Controls, named as the window's layout names them.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* ts24CXXX = nullptr;

    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    QFrame* Panel4 = nullptr;
    QFrame* Panel5 = nullptr;
    QFrame* Panel6 = nullptr;
    TGauge* prFlash = nullptr;
    TGauge* prEEPInt = nullptr;
    QLabel* lbTipo = nullptr;
    QPushButton* btnTipo = nullptr;
    QPushButton* btnBorrar = nullptr;
    QPushButton* btnProgFlash = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* btnTestBlank = nullptr;
    QPushButton* btnLeerFlash = nullptr;
    QPushButton* btnLeerEEPInt = nullptr;
    QPushButton* btnFLashVerif = nullptr;
    QPushButton* btnEEPInt = nullptr;
    QPushButton* btnLeerFuses = nullptr;
    QPushButton* btnGrabarFuses = nullptr;
    QComboBox* cbXTAL = nullptr;
    QComboBox* cbSUT = nullptr;
    QComboBox* cbBootSize = nullptr;
    QCheckBox* cbBODEN = nullptr;
    QCheckBox* cbBODLev = nullptr;
    QCheckBox* cbS8515 = nullptr;
    QCheckBox* cbWDTON = nullptr;
    QCheckBox* cbSPIEN = nullptr;
    QCheckBox* cbCKOPT = nullptr;
    QCheckBox* cbEESAVE = nullptr;
    QCheckBox* cbBOOTRST = nullptr;

    QToolBar* ToolBar1 = nullptr;
    QList<QIcon> IL;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton4 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton9 = nullptr;
    QToolButton* ToolButton11 = nullptr;
    QFrame* Panel1 = nullptr;
    QComboBox* cbChip = nullptr;
    QTableView* SG = nullptr;
    QLabel* lbSumas = nullptr;  // the image's CRC-32 and 16-bit sum
    QAction* Compararconfichero1 = nullptr;
    QAction* Detectarchip1 = nullptr;
    DifferenceList* formDiferencias = nullptr;  // opens beside the window after a comparison

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
    QMenu* Configuracion1 = nullptr;
    QAction* Configuracion2 = nullptr;
    QAction* N2 = nullptr;
    QAction* Checkearvelcor1 = nullptr;
    QAction* Comprobacionmanual1 = nullptr;
    QMenu* Ayuda1 = nullptr;
    QAction* Acercade1 = nullptr;

    QLabel* lbPlaca = nullptr;   // status bar: the board in use
    QLabel* lbEstado = nullptr;  // status bar: what the last command did and how long it took

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
    void Verificar1Click();
    void Compararconfichero1Click();
    void Detectarchip1Click();
    void Deshacer1Click();
    void Rehacer1Click();
    void Irdireccion1Click();
    void Rellenar1Click();

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
    void btnLeerFusesClick();
    void btnGrabarFusesClick();

protected:
    // Esc on the AVR page clicks its first cancel button that can take it ("Blank-test");
    // on the 24CXXX page it does nothing.
    void keyPressEvent(QKeyEvent* event) override;
    // The window cannot be closed while a command drives the board; it closes once it ends.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void BuildAvrPage();
    void BuildEepromPage();
    void BuildStatusBar();
    void LayOutGrid();
    void FormCreate();
    // The "RAPIDO" setting ("SI" or "NO"), and the fast timing of timing_, which both chip sides read.
    void ReadFastTiming();
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
            const shell::CommandOutcome outcome = command();
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
    // lbSumas from the image as it is now.
    void ShowImageChecksums();
    // The 24Cxx image's differences: marked in the grid, listed beside the window.
    void ShowImageDifferences(std::span<const files::ByteDifference> differences);
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

    // The 24CXXX page's editing: the undo history, the typed bytes, the window title.
    void BuildImageHistory();
    void ByteTyped(int address, int value, bool complete);
    void ShowChipWithoutChange(int index);
    // The caption names the image's file and marks it "*" while it holds unsaved changes.
    void UpdateTitle();
    // The menu's 24CXXX commands show the page they work on.
    void ShowEepromPage();

    port::Port& port_;
    port::Clock& clock_;
    SettingsStore& settings_;
    ModalRunner& modalRunner_;
    QString boardDescription_;
    QString boardError_;

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
    // What the next list of 24Cxx differences compares the image with: the chip or a file.
    QString differenceSubject_;
    QString differenceFoundName_;
};

}  // namespace tarpel::ui
