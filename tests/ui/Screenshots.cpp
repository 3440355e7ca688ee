// SPDX-License-Identifier: GPL-2.0-or-later
// Takes the README's pictures of the program as a user sees it: both pages of the main window
// after real commands on the simulated board (the 24CXXX page also with edits), and each dialog. Run under an X server
// (scripts/screenshots.sh starts one in Xvfb); the PNGs go to the folder given, docs/ by default.
// The language follows the environment as in the program; English pictures end in "-en".
// A tool, not a test: it checks nothing and is not run by ctest.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "board/Board.h"
#include "shell/Translate.h"
#include "ui/DifferenceList.h"
#include "ui/Forms.h"
#include "ui/HexGridModel.h"
#include "ui/ImageHistory.h"
#include "ui/ModalRunner.h"
#include "ui/QtTexts.h"
#include "ui/SettingsStore.h"
#include "ui/TformProduccion.h"

namespace {

using namespace tarpel;

// Answers the commands' message boxes with OK and their file dialogs from a list, without
// blocking; what the boxes said is printed, so a failed command shows up in the tool's output.
class AnsweringRunner final : public ui::ModalRunner {
public:
    std::deque<QString> files;
    std::function<void(QDialog&)> ownDialog;  // the window's own dialogs, as the user meets them

    int Exec(QDialog& dialog) override {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            std::printf("  message: %s\n", box->text().toUtf8().constData());
            return QMessageBox::Ok;
        }
        if (auto* chooser = qobject_cast<QFileDialog*>(&dialog); chooser && !files.empty()) {
            chooser->selectFile(files.front());
            files.pop_front();
            return QDialog::Accepted;
        }
        if (ownDialog) ownDialog(dialog);
        return QDialog::Rejected;
    }
};

void WriteFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A 24C128 whose first rows hold text and then every byte value, so the grid shows both columns.
std::vector<std::uint8_t> ChipContents() {
    const std::string text = CurrentLanguage() == Language::English
                                 ? "Test data of the 24C128 memory, read from the simulated board. "
                                 : "Datos de prueba de la memoria 24C128, leidos de la placa simulada. ";
    std::vector<std::uint8_t> bytes(16384);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i - text.size());
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

bool Save(const QPixmap& picture, const QDir& folder, const char* name) {
    QString fileName = QString::fromLatin1(name);
    if (CurrentLanguage() == Language::English) fileName.replace(QStringLiteral(".png"), QStringLiteral("-en.png"));
    const QString path = folder.filePath(fileName);
    const bool saved = picture.save(path, "PNG");
    std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "FAILED", path.toUtf8().constData(), picture.width(),
                picture.height());
    return saved;
}

// Shows a dialog without its modal loop, lets it paint, and takes its picture.
bool Picture(QWidget& dialog, const QDir& folder, const char* name) {
    dialog.show();
    dialog.raise();
    (void)QTest::qWaitForWindowExposed(&dialog);
    QApplication::processEvents();
    const bool saved = Save(dialog.grab(), folder, name);
    dialog.hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    const Language language = SetUpLanguage();
    QApplication application(argc, argv);
    QTranslator qtTexts;
    if (ui::LoadQtTexts(qtTexts, language)) QApplication::installTranslator(&qtTexts);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs"));
    QTemporaryDir temp;
    if (!temp.isValid() || !out.exists()) {
        std::fprintf(stderr, "tarpel-screenshots: no folder to work in\n");
        return 1;
    }
    const QDir sim(temp.filePath(QStringLiteral("sim")));
    QDir().mkpath(sim.path());
    WriteFile(sim.filePath(QStringLiteral("24C128.bin")), ChipContents());
    WriteFile(sim.filePath(QStringLiteral("atmega8515-fuses.bin")), {0xE1, 0xD9});

    board::BoardOptions options;
    options.board = "sim";
    options.simDir = sim.path().toStdString();
    options.simEeprom = "24C128";
    options.simAvr = "atmega8515";
    board::Board board = board::OpenBoard(options);
    if (!board.Usable()) {
        std::fprintf(stderr, "tarpel-screenshots: %s\n", board.error.c_str());
        return 1;
    }
    ui::SettingsStore settings(temp.filePath(QStringLiteral("TARPEL.ini")));
    AnsweringRunner runner;
    // The About box's timer fires at the first pass of the message loop, so its picture shows it
    // as every showing after the first two seconds does: with "Vale !".
    ui::Forms forms({*board.port, *board.clock, settings, runner, QString::fromStdString(board.description), {}},
                    std::chrono::milliseconds(0));
    ui::TVentana& window = *forms.Ventana;
    window.showMaximized();
    // Without a window manager nothing maximises the window: give it the screen ourselves.
    window.setGeometry(window.screen()->availableGeometry());
    (void)QTest::qWaitForWindowExposed(&window);
    QApplication::processEvents();

    bool allSaved = true;

    // The AVR page after the user identified the device, read its fuses and ran the blank test.
    window.avrPage.btnTipo->click();
    window.avrPage.btnLeerFuses->click();
    window.avrPage.btnTestBlank->click();
    QApplication::processEvents();
    allSaved &= Save(window.grab(), out, "main-avr.png");

    // The 24CXXX page: a read of the whole chip, pictured once mid-way under its progress dialog.
    window.PageControl1->setCurrentWidget(window.eepromPage.ts24CXXX);
    QApplication::processEvents();
    ui::TformProgreso& progress = *forms.formProgreso;
    bool progressTaken = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (progressTaken || !progress.isVisible()) return;
        if (progress.lbProg->text().section(QLatin1Char(' '), 0, 0).toInt() < 6000) return;
        progressTaken = true;
        allSaved &= Save(progress.grab(), out, "dialog-progress.png");
    });
    watcher.start(0);
    window.eepromPage.ToolButton4->click();
    watcher.stop();
    allSaved &= progressTaken;
    QApplication::processEvents();
    allSaved &= Save(window.grab(), out, "main-24cxx.png");

    // A file that differs from the chip in a few bytes, opened and verified: the grid marks every
    // differing byte and the list of differences opens beside the window. The screen's picture
    // holds both windows.
    std::vector<std::uint8_t> changed = ChipContents();
    for (const std::size_t address : {0x13, 0x14, 0x2A, 0x58, 0x59, 0x5A, 0x5B, 0xA1, 0x107, 0x3FFF})
        changed[address] ^= 0x20;
    const QString changedFile = temp.filePath(QStringLiteral("datos-modificados.bin"));
    WriteFile(changedFile, changed);
    runner.files.push_back(changedFile);
    window.eepromPage.ToolButton1->click();
    window.eepromPage.ToolButton9->click();
    (void)QTest::qWaitForWindowExposed(window.formDiferencias);
    QApplication::processEvents();
    allSaved &= Save(window.screen()->grabWindow(0), out, "main-differences.png");
    allSaved &= Save(window.formDiferencias->grab(), out, "dialog-differences.png");
    window.formDiferencias->hide();

    // The same image edited: a few bytes typed in hex and as text, and a range filled; the
    // edited bytes stand out until the image is saved or programmed.
    auto* grid = static_cast<const ui::HexGridModel*>(window.eepromPage.SG->model());
    window.eepromPage.SG->setFocus();
    window.eepromPage.SG->setCurrentIndex(grid->CellOf(0x48, false));
    QTest::keyClicks(window.eepromPage.SG, "DEADBEEF");
    window.eepromPage.SG->setCurrentIndex(grid->CellOf(0x58, true));
    QTest::keyClicks(window.eepromPage.SG, "Editado!");
    window.History().Fill(0x70, 0x87, 0x00);
    window.eepromPage.SG->setCurrentIndex(grid->CellOf(0x95, false));
    QTest::keyClick(window.eepromPage.SG, Qt::Key_A);  // a byte half typed: its first digit
    QApplication::processEvents();
    allSaved &= Save(window.grab(), out, "main-24cxx-edit.png");

    // The dialogs, each as the user meets it.
    forms.formConfig->tb->setValue(window.Timing().DelayFactor);
    allSaved &= Picture(*forms.formConfig, out, "dialog-config.png");
    allSaved &= Picture(*forms.AboutBox, out, "dialog-about.png");
    forms.formManual->cbVCC->setChecked(true);
    forms.formManual->cbRESET->setChecked(true);
    allSaved &= Picture(*forms.formManual, out, "dialog-manual.png");

    // A production run after its first chip.
    const QString program = temp.filePath(QStringLiteral("firmware.hex"));
    const QString counter = temp.filePath(QStringLiteral("serie.txt"));
    std::ofstream(program.toStdString()) << ":0400200012345678C8\n:00000001FF\n";
    std::ofstream(counter.toStdString()) << "1000\n";
    runner.ownDialog = [&](QDialog& dialog) {
        auto& production = dynamic_cast<ui::TformProduccion&>(dialog);
        production.edFichero->setText(program);
        production.cbSerie->setChecked(true);
        production.edSitio->setText(QStringLiteral("eeprom:16:4:le"));
        production.edContador->setText(counter);
        production.edRegistro->setText(temp.filePath(QStringLiteral("registro.csv")));
        production.btnGrabar->click();
        allSaved &= Picture(production, out, "dialog-production.png");
    };
    window.avrPage.btnProduccion->click();
    runner.ownDialog = nullptr;

    return allSaved ? 0 : 1;
}
