// SPDX-License-Identifier: GPL-2.0-or-later
// The window program: options, the board, the windows, the message loop; at its end the
// windows go, which switches the board off and saves the settings.
#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <string>
#include <vector>

#include "board/Board.h"
#include "files/FileSizeSignal.h"
#include "shell/Translate.h"
#include "ui/Forms.h"
#include "ui/ModalRunner.h"
#include "ui/QtTexts.h"
#include "ui/QuitSignals.h"
#include "ui/SettingsStore.h"
#include "ui/TarpelCommandLine.h"

int main(int argc, char** argv) {
    using namespace tarpel;
    const Language language = SetUpLanguage();
    files::IgnoreFileSizeSignal();

    // --help must work without a display, so it is answered before Qt looks for one.
    if (ui::ParseTarpelCommandLine(std::vector<std::string>(argv + 1, argv + argc)).help) {
        std::fputs(ui::TarpelHelpText().c_str(), stdout);
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarpel"));
    // Qt's own dialogs speak the program's language, whatever other language the desktop has.
    QTranslator qtTexts;
    if (ui::LoadQtTexts(qtTexts, language)) QApplication::installTranslator(&qtTexts);

    // Qt has taken its own options (-platform, ...) out of the list by now.
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1)) arguments.push_back(argument.toStdString());
    const ui::TarpelCommandLine commandLine = ui::ParseTarpelCommandLine(arguments);
    if (!commandLine.error.empty()) {
        std::fprintf(stderr, Tr("tarpel: %s\nPrueba tarpel --help\n"), commandLine.error.c_str());
        return 2;
    }

    board::Board board = board::OpenBoard(commandLine.options);
    // Options that name no board, chip or fault are a usage error, not a board that failed.
    if (board.badOptions) {
        std::fprintf(stderr, Tr("tarpel: %s\nPrueba tarpel --help\n"), board.error.c_str());
        return 2;
    }
    ui::SettingsStore settings;
    ui::ModalRunner modalRunner;
    // Declared after the board, the windows go first: the board is still open when the main
    // window switches its lines off.
    ui::Forms forms({*board.port, *board.clock, settings, modalRunner, QString::fromStdString(board.description),
                     QString::fromStdString(board.error), board.nextChip});
    ui::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &ui::QuitSignals::QuitRequested, forms.Ventana.get(), &ui::TVentana::Salir1Click);
    forms.Ventana->showMaximized();
    // Once the window is up, so that the file's warnings show over it.
    const QString eepromFile = QString::fromLocal8Bit(commandLine.eepromFile);
    const QString avrFile = QString::fromLocal8Bit(commandLine.avrFile);
    if (!eepromFile.isEmpty() || !avrFile.isEmpty())
        QTimer::singleShot(0, forms.Ventana.get(), [&forms, eepromFile, avrFile] {
            forms.Ventana->OpenStartFiles(eepromFile, avrFile);
        });
    return QApplication::exec();
}
