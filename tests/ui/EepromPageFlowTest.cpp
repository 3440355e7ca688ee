// SPDX-License-Identifier: GPL-2.0-or-later
// The 24CXXX page used as a user would on the simulated board: pick the chip, read it into the
// grid, program and verify it from the toolbar, stop a read with "Cancelar...", and close the
// window (or send the program a termination signal) while a read runs, which cancels it; what
// a failed verification shows beside its box, and the status line after a command.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemModel>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QLineEdit>
#include <QMenu>
#include <QItemSelectionModel>
#include <QBrush>
#include <QImage>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QMenu>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <cstdint>
#include <string>
#include <vector>

#include "SimWindowRig.h"
#include "files/Checksums.h"
#include "ui/DifferenceList.h"
#include "ui/DifferenceListModel.h"
#include "ui/FindDialog.h"
#include "ui/HexGridModel.h"
#include "ui/QuitSignals.h"
#include "ui/TGauge.h"
#include "ui/TformConfig.h"
#include "ui/TformProgreso.h"

namespace tarpel::ui {
namespace {

constexpr int ChipBytes = 512;  // the 24C04 in the socket

// What the virtual 24C04 holds: readable text first, then bytes of every value.
std::vector<std::uint8_t> KnownBytes() {
    const std::string text = "Tarpel lee 24C04";
    std::vector<std::uint8_t> bytes(ChipBytes);
    for (int i = 0; i < ChipBytes; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

// The 24CXXX page in front with the 24C04 chosen, picked from the list with the keyboard.
TVentana& StartOn24C04(test::SimWindowRig& rig, const test::SimSockets& sockets = {}) {
    TVentana& window = rig.Start(sockets);
    rig.ClickTab(window.eepromPage.ts24CXXX);
    EXPECT_EQ(window.PageControl1->currentWidget(), window.eepromPage.ts24CXXX);
    window.eepromPage.cbChip->setFocus();
    QTest::keyClick(window.eepromPage.cbChip, Qt::Key_Home);  // the 24C01, then the 24C02
    QTest::keyClick(window.eepromPage.cbChip, Qt::Key_Down);
    QTest::keyClick(window.eepromPage.cbChip, Qt::Key_Down);
    EXPECT_EQ(window.eepromPage.cbChip->currentText(), "24C04 - 0.5kb");
    EXPECT_EQ(window.eepromPage.SG->model()->rowCount(), ChipBytes / HexGridModel::BytesPerRow);
    return window;
}

// The bytes the grid shows in its hex cells, address by address.
std::vector<std::uint8_t> GridBytes(const TVentana& window) {
    const QAbstractItemModel& model = *window.eepromPage.SG->model();
    std::vector<std::uint8_t> bytes;
    for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 1; column <= HexGridModel::BytesPerRow; ++column)
            bytes.push_back(static_cast<std::uint8_t>(model.index(row, column).data().toString().toUInt(nullptr, 16)));
    return bytes;
}

// Whether the grid shows a byte dimmed, in both its cells.
bool Dimmed(const TVentana& window, int address) {
    const auto& model = *static_cast<const HexGridModel*>(window.eepromPage.SG->model());
    return model.CellOf(address, false).data(Qt::ForegroundRole).value<QColor>() == HexGridModel::UnreadText &&
           model.CellOf(address, true).data(Qt::ForegroundRole).value<QColor>() == HexGridModel::UnreadText;
}

int UnreadBytes(const TVentana& window) {
    int count = 0;
    for (int address = 0; address < ChipBytes; ++address) count += Dimmed(window, address) ? 1 : 0;
    return count;
}

QString GridText(const TVentana& window, int row) {
    QString text;
    for (int column = HexGridModel::BytesPerRow + 1; column < HexGridModel::ColumnCount; ++column)
        text += window.eepromPage.SG->model()->index(row, column).data().toString();
    return text;
}

// The status line after a command, with any time it took.
void ExpectStatus(const TVentana& window, const QString& before, const QString& after = {}) {
    const QRegularExpression line("^" + QRegularExpression::escape(before) + " en \\d+,\\d s" +
                                  QRegularExpression::escape(after) + "$");
    EXPECT_TRUE(line.match(window.lbEstado->text()).hasMatch()) << window.lbEstado->text().toStdString();
}

void ExpectBoardOffAndWindowIdle(test::SimWindowRig& rig, const char* what) {
    EXPECT_EQ(rig.port->last, 0x00) << what;
    EXPECT_EQ(rig.BoardByte(), 0x00) << what;
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << what;
    EXPECT_FALSE(rig.Progress().isVisible()) << what;
    EXPECT_EQ(rig.EnabledCommandControls(), rig.CommandControls()) << what;
}

TEST(EepromPageFlow, LeerChipShowsTheChipInTheGrid) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", KnownBytes());
    TVentana& window = StartOn24C04(rig);
    ASSERT_EQ(GridBytes(window), std::vector<std::uint8_t>(ChipBytes, 0xFF));

    QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    EXPECT_EQ(GridBytes(window), KnownBytes());
    EXPECT_EQ(window.eepromPage.SG->model()->index(0, 0).data().toString(), "0000");
    EXPECT_EQ(GridText(window, 0), "Tarpel l");
    EXPECT_EQ(GridText(window, 1), "ee 24C04");
    EXPECT_EQ(window.eepromPage.SG->model()->index(63, 0).data().toString(), "01F8");
    EXPECT_EQ(rig.Progress().lbProg->text(), "511 bytes leidos...");
    EXPECT_EQ(rig.Progress().Progreso->Progress(), 100);
    EXPECT_TRUE(rig.Boxes().empty());
    ExpectStatus(window, "Leidos 512 bytes de la 24C04");
    QCoreApplication::processEvents();  // the sums follow at the next pass of the message loop
    EXPECT_EQ(window.eepromPage.lbSumas->text().toStdString(), files::ChecksumText(files::ChecksumsOf(KnownBytes())));
    ExpectBoardOffAndWindowIdle(rig, "after the read");
}

TEST(EepromPageFlow, ProgramAndVerifyFromTheToolbarEndInTheSuccessMessage) {
    test::SimWindowRig rig;
    TVentana& window = StartOn24C04(rig);
    std::vector<std::uint8_t> image = KnownBytes();
    std::reverse(image.begin(), image.end());
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Write("image.bin", image))};
    QTest::mouseClick(window.eepromPage.ToolButton1, Qt::LeftButton);
    ASSERT_EQ(GridBytes(window), image);
    ExpectStatus(window, "image.bin cargado en la imagen de la 24C04");

    QTest::mouseClick(window.eepromPage.ToolButton5, Qt::LeftButton);
    EXPECT_TRUE(rig.Boxes().empty());
    ExpectStatus(window, "Programados 512 bytes en la 24C04");
    // The pages, then the read-back of the whole chip under the same dialog.
    EXPECT_EQ(rig.Progress().lbProg->text(), "511 bytes comprobados...");
    EXPECT_EQ(rig.Progress().Progreso->Progress(), 100);
    ExpectBoardOffAndWindowIdle(rig, "after programming");
    const auto chip = rig.Eeprom().Memory();
    EXPECT_TRUE(std::equal(chip.begin(), chip.end(), image.begin(), image.end()));

    QTest::mouseClick(window.eepromPage.ToolButton9, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "El contenido del chip se ha verificado correctamente!!!");
    EXPECT_EQ(rig.Boxes()[0].caption, "FIN DE LA COMPROBACION");
    EXPECT_EQ(GridBytes(window), image);
    ExpectStatus(window, "Comprobada la 24C04: 512 bytes iguales a la imagen");
    ExpectBoardOffAndWindowIdle(rig, "after verifying");
}

TEST(EepromPageFlow, ProgramarCambiosWritesOnlyThePagesOfTheTypedBytes) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", KnownBytes());
    TVentana& window = StartOn24C04(rig);
    QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    const auto& grid = *static_cast<const HexGridModel*>(window.eepromPage.SG->model());
    std::vector<std::uint8_t> expected = KnownBytes();
    for (const auto& [address, typed] : {std::pair{0x21, "5a"}, std::pair{0x2F, "c3"}, std::pair{0x1F0, "77"}}) {
        window.eepromPage.SG->setCurrentIndex(grid.CellOf(address, false));
        QTest::keyClicks(window.eepromPage.SG, typed);
        expected[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(std::stoi(typed, nullptr, 16));
    }
    auto* button = qobject_cast<QToolButton*>(window.eepromPage.ToolBar1->widgetForAction(window.eepromPage.Programarcambios1));
    ASSERT_NE(button, nullptr);
    const std::size_t cyclesBefore = rig.Eeprom().WriteCycles();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "Grabadas 2 paginas que diferian de la imagen");
    EXPECT_EQ(rig.Eeprom().WriteCycles() - cyclesBefore, 2u) << "the 24C04's own 16-byte pages at 0x20 and 0x1F0";
    const auto chip = rig.Eeprom().Memory();
    EXPECT_TRUE(std::equal(chip.begin(), chip.end(), expected.begin(), expected.end()));
    ExpectBoardOffAndWindowIdle(rig, "after programming the changes");

    // The same command from the Memoria menu, on a chip that has every byte of the image now.
    EXPECT_TRUE(window.menu.Memoria1->actions().contains(window.eepromPage.Programarcambios1));
    window.eepromPage.Programarcambios1->trigger();
    ASSERT_EQ(rig.Boxes().size(), 2u);
    EXPECT_EQ(rig.Boxes()[1].text, "El chip ya coincide con la imagen: no se ha grabado nada");
    EXPECT_EQ(rig.Eeprom().WriteCycles() - cyclesBefore, 2u);
}

TEST(EepromPageFlow, AChipThatKeepsOtherBytesFailsProgrammingAtItsFirstWrongAddressUnlessTheCheckIsOff) {
    std::vector<std::uint8_t> image = KnownBytes();
    std::fill(image.begin(), image.begin() + 0x1A0, 0xFF);  // as the blank chip: 0x1A0 is the first page that differs
    for (const auto& [fault, address] :
         {std::pair{"eeprom-stuck:0x1B3", "$01B3"}, std::pair{"eeprom-page:8", "$01A0"}}) {
        test::SimWindowRig rig;
        TVentana& window = StartOn24C04(rig, {"24C04", "atmega8515", {fault}});
        rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Write("image.bin", image))};
        window.eepromPage.ToolButton1->click();
        window.eepromPage.ToolButton5->click();
        ASSERT_EQ(rig.Boxes().size(), 1u) << fault;
        EXPECT_EQ(rig.Boxes()[0].text, QString("Error programando el chip!!!\n(direccion %1)").arg(address));
        // "Comprobar al programar" off: the same chip programs without a word.
        rig.runner.whileOpen = [](QDialog& config) {
            dynamic_cast<TformConfig&>(config).cbComprobar->click(), config.close();
        };
        window.menu.Configuracion2->trigger();
        window.eepromPage.ToolButton5->click();
        ExpectStatus(window, "Programados 512 bytes en la 24C04");
        rig.Stop();
        EXPECT_EQ(rig.Stored("COMPROBAR_AL_PROGRAMAR"), "NO");
    }
}

TEST(EepromPageFlow, F6OnTheAvrPageLeavesThe24CxxUntouchedAndProgramsItOnItsOwnPage) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", KnownBytes());
    TVentana& window = StartOn24C04(rig);  // the image: all FF
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (QWidget* page : {window.avrPage.TabSheet2, window.eepromPage.ts24CXXX}) {
        rig.ClickTab(page);
        QTest::keyClick(&window, Qt::Key_F6);
        EXPECT_EQ(window.PageControl1->currentWidget(), page);
        const auto chip = rig.Eeprom().Memory();
        EXPECT_EQ(std::count(chip.begin(), chip.end(), 0xFF) == ChipBytes, page == window.eepromPage.ts24CXXX);
    }
}

TEST(EepromPageFlow, VerifyingKeepsTheUsersImageInTheGridThroughout) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", KnownBytes());
    TVentana& window = StartOn24C04(rig);
    std::vector<std::uint8_t> image = KnownBytes();
    image[300] ^= 0xFF;
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Write("image.bin", image))};
    QTest::mouseClick(window.eepromPage.ToolButton1, Qt::LeftButton);
    ASSERT_EQ(GridBytes(window), image);

    // Every pass of the message loop while the chip is read, and the difference box.
    int passes = 0;
    int passesShowingOtherBytes = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!rig.Progress().isVisible()) return;
        ++passes;
        if (GridBytes(window) != image) ++passesShowingOtherBytes;
    });
    watcher.start(0);
    std::vector<std::uint8_t> underTheBox;
    rig.runner.recorder.onBox = [&] { underTheBox = GridBytes(window); };
    QTest::mouseClick(window.eepromPage.ToolButton9, Qt::LeftButton);
    watcher.stop();

    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "Hay diferencias en el byte nº:300");
    EXPECT_GT(passes, 0);
    EXPECT_EQ(passesShowingOtherBytes, 0);
    EXPECT_EQ(underTheBox, image);
    EXPECT_EQ(GridBytes(window), image);
    ExpectBoardOffAndWindowIdle(rig, "after the verification");
}

TEST(EepromPageFlow, AFailedVerifyMarksEveryDifferingByteInTheGridAndListsThemBeside) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", KnownBytes());
    TVentana& window = StartOn24C04(rig);
    std::vector<std::uint8_t> image = KnownBytes();
    const std::vector<std::size_t> differing = {0x10, 0x11, 0x1FF};
    for (const std::size_t address : differing) image[address] ^= 0x5A;
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Write("image.bin", image))};
    QTest::mouseClick(window.eepromPage.ToolButton1, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.eepromPage.lbSumas->text().toStdString(), files::ChecksumText(files::ChecksumsOf(image)));
    EXPECT_FALSE(window.formDiferencias->isVisible());

    QString statusUnderBox;
    rig.runner.recorder.onBox = [&] { statusUnderBox = window.lbEstado->text(); };
    QTest::mouseClick(window.eepromPage.ToolButton9, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "Hay diferencias en el byte nº:16");
    ExpectStatus(window, "Comprobada la 24C04: 3 bytes distintos de la imagen");
    EXPECT_TRUE(statusUnderBox.startsWith("Comprobada la 24C04: 3 bytes distintos de la imagen en "))
        << "the status bar is up to date beside the box: " << statusUnderBox.toStdString();
    ExpectBoardOffAndWindowIdle(rig, "after the verification");

    // The model marks both cells of each differing byte and nothing else...
    const QAbstractItemModel& grid = *window.eepromPage.SG->model();
    std::vector<std::size_t> markedHex;
    std::vector<std::size_t> markedCharacters;
    for (int row = 0; row < grid.rowCount(); ++row) {
        for (int column = 1; column < HexGridModel::ColumnCount; ++column) {
            const QVariant background = grid.index(row, column).data(Qt::BackgroundRole);
            if (!background.isValid()) continue;
            EXPECT_EQ(background.value<QBrush>().color(), HexGridModel::DifferenceColor());
            const std::size_t address = static_cast<std::size_t>(row) * 8 + static_cast<std::size_t>((column - 1) % 8);
            (column <= HexGridModel::BytesPerRow ? markedHex : markedCharacters).push_back(address);
        }
    }
    EXPECT_EQ(markedHex, differing);
    EXPECT_EQ(markedCharacters, differing);
    // ...and the grid paints them so: the corner of the cell at 0x10 against the one at 0x12.
    const QImage painted = window.eepromPage.SG->viewport()->grab().toImage();
    const auto corner = [&](int row, int column) {
        const QRect cell = window.eepromPage.SG->visualRect(grid.index(row, column));
        return painted.pixelColor(cell.right() - 2, cell.top() + 1);
    };
    EXPECT_EQ(corner(2, 1), HexGridModel::DifferenceColor());
    EXPECT_EQ(corner(2, 9), HexGridModel::DifferenceColor());
    EXPECT_NE(corner(2, 3), HexGridModel::DifferenceColor());

    // The list beside the window: every difference with both bytes, and their count.
    DifferenceList& list = *window.formDiferencias;
    ASSERT_TRUE(list.isVisible());
    EXPECT_FALSE(list.isModal());
    EXPECT_EQ(list.windowTitle(), "Diferencias: la imagen y la 24C04");
    EXPECT_EQ(list.lbCuenta->text(), "3 bytes distintos");
    const DifferenceListModel& rows = *list.Model();
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.headerData(1, Qt::Horizontal).toString(), "Imagen");
    EXPECT_EQ(rows.headerData(2, Qt::Horizontal).toString(), "Chip");
    for (int row = 0; row < 3; ++row) {
        const std::size_t address = differing[static_cast<std::size_t>(row)];
        EXPECT_EQ(rows.index(row, 0).data().toString(), QStringLiteral("%1").arg(address, 4, 16, QChar('0')).toUpper());
        EXPECT_EQ(rows.index(row, 1).data().toString(), GridHexText(image[address]));
        EXPECT_EQ(rows.index(row, 2).data().toString(), GridHexText(KnownBytes()[address]));
    }

    // Reading the chip makes it the image: no mark stays, and the list of the old image closes empty.
    QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    EXPECT_FALSE(grid.index(2, 1).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(list.isVisible());
    QTest::mouseClick(window.eepromPage.ToolButton9, Qt::LeftButton);
    EXPECT_EQ(rig.Boxes().back().caption, "FIN DE LA COMPROBACION");
    EXPECT_EQ(rows.rowCount(), 0);
    EXPECT_EQ(list.lbCuenta->text(), "0 bytes distintos");
}

TEST(EepromPageFlow, DetectarChipOffersTheChipFoundAndSelectsItOnlyOnSi) {
    test::SimWindowRig rig;
    TVentana& window = rig.Start(test::SimSockets::WithEeprom("24C16"));
    rig.ClickTab(window.eepromPage.ts24CXXX);
    const QString selected = window.eepromPage.cbChip->currentText();
    ASSERT_EQ(selected, "24C128 -16 kb");

    rig.runner.recorder.questionAnswer = QMessageBox::No;
    window.eepromPage.Detectarchip1->trigger();
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_TRUE(rig.Boxes()[0].asksYesNo);
    EXPECT_TRUE(rig.Boxes()[0].text.startsWith("Memoria detectada: 24C16\n")) << rig.Boxes()[0].text.toStdString();
    EXPECT_TRUE(
        rig.Boxes()[0].text.endsWith("\nElegir la 24C16 en \"Tipo de memoria\"? La imagen se vaciara (todo FF)."));
    EXPECT_EQ(window.eepromPage.cbChip->currentText(), selected) << "never changed behind the user's back";
    ExpectStatus(window, "Memoria detectada: 24C16");

    rig.runner.recorder.questionAnswer = QMessageBox::Yes;
    window.eepromPage.Detectarchip1->trigger();
    EXPECT_EQ(window.eepromPage.cbChip->currentText(), "24C16 - 2 kb");
    EXPECT_EQ(window.eepromPage.SG->model()->rowCount(), 2048 / HexGridModel::BytesPerRow);
    ExpectBoardOffAndWindowIdle(rig, "after the detection");
}

TEST(EepromPageFlow, TheBinaryFileTypeGivesABareNameTheBinEnding) {
    test::SimWindowRig rig;
    TVentana& window = StartOn24C04(rig);
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Write("image.bin", KnownBytes()))};
    QTest::mouseClick(window.eepromPage.ToolButton1, Qt::LeftButton);
    // The page's open dialogs offer what it opens (no ELF program); the comparison's names its use.
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Path("image.bin"))};
    window.eepromPage.Compararconfichero1->trigger();
    ASSERT_EQ(rig.runner.recorder.fileDialogs.size(), 2u);
    EXPECT_EQ(rig.runner.recorder.fileDialogs[1].title, "Comparar con fichero");
    for (const auto& seen : rig.runner.recorder.fileDialogs) EXPECT_FALSE(seen.nameFilters.join(' ').contains(".elf"));
    rig.Boxes().clear();

    // In the save dialog the user picks "Ficheros binarios (*.bin)" and types a bare name.
    rig.runner.recorder.onFileDialog = [](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        QTest::keyClick(types, Qt::Key_Down);
        ASSERT_EQ(types->currentText(), "Ficheros binarios (*.bin)");
    };
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Path("out2"))};
    QTest::mouseClick(window.eepromPage.ToolButton2, Qt::LeftButton);
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_EQ(rig.folder.ReadBytes("out2.bin"), KnownBytes()) << "saved as binary under the binary ending";
    EXPECT_FALSE(std::filesystem::exists(rig.folder.Path("out2.hex")));

    // The next save starts where the user left it: the binary type and its ending.
    rig.runner.recorder.onFileDialog = {};
    rig.runner.recorder.fileAnswers = {std::nullopt};
    QTest::mouseClick(window.eepromPage.ToolButton2, Qt::LeftButton);
    ASSERT_EQ(rig.runner.recorder.fileDialogs.size(), 4u);
    EXPECT_EQ(rig.runner.recorder.fileDialogs[3].selectedNameFilter, "Ficheros binarios (*.bin)");
    EXPECT_EQ(rig.runner.recorder.fileDialogs[3].defaultSuffix, "bin");

    // A file that gives the chip nothing is refused and leaves the image; a FIFO is no file to
    // save to, and stays a FIFO.
    rig.Boxes().clear();
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Write("empty.bin", ""))};
    QTest::mouseClick(window.eepromPage.ToolButton1, Qt::LeftButton);
    const std::string fifo = rig.folder.Path("fifo.bin");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    rig.runner.recorder.fileAnswers = {QString::fromStdString(fifo)};
    QTest::mouseClick(window.eepromPage.ToolButton2, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 2u);
    EXPECT_EQ(rig.Boxes()[0].text, "El fichero no contiene ningun dato!!");
    EXPECT_TRUE(rig.Boxes()[1].text.endsWith("fifo.bin no es un fichero normal (es un dispositivo, una FIFO o una "
                                             "carpeta): no se ha tocado. Elija otro nombre!!"));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Path("out3.bin"))};
    QTest::mouseClick(window.eepromPage.ToolButton2, Qt::LeftButton);
    EXPECT_EQ(rig.folder.ReadBytes("out3.bin"), KnownBytes()) << "the image the empty file did not replace";
}

TEST(EepromPageFlow, CancelarStopsAReadAndTheNextReadRunsWhole) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", KnownBytes());
    TVentana& window = StartOn24C04(rig);
    TformProgreso& progress = rig.Progress();

    // Watches every pass of the message loop inside the read; once the counter has passed 100
    // the user clicks "Cancelar...".
    int cancelledAt = -1;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const int count = progress.lbProg->text().section(' ', 0, 0).toInt();
        if (cancelledAt < 0 && progress.isVisible() && count >= 100) {
            cancelledAt = count;
            QTest::mouseClick(progress.btnCancelar, Qt::LeftButton);
        }
    });
    watcher.start(0);
    QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    watcher.stop();

    ASSERT_GE(cancelledAt, 100);
    ASSERT_LT(cancelledAt, ChipBytes - 1);
    EXPECT_EQ(progress.lbProg->text(), QString::number(cancelledAt) + " bytes leidos...");
    std::vector<std::uint8_t> expected = KnownBytes();
    std::fill(expected.begin() + cancelledAt + 1, expected.end(), 0xFF);  // the image held 0xFF there
    EXPECT_EQ(GridBytes(window), expected);
    EXPECT_TRUE(rig.Boxes().empty());
    ExpectStatus(window, "Lectura cancelada: leidos " + QString::number(cancelledAt + 1) + " de 512 bytes",
                 "; el resto es el contenido anterior");
    ExpectBoardOffAndWindowIdle(rig, "after the cancelled read");
    // The bytes the read did not reach are dimmed, those it read are not.
    EXPECT_EQ(UnreadBytes(window), ChipBytes - cancelledAt - 1);
    EXPECT_FALSE(Dimmed(window, cancelledAt));
    EXPECT_TRUE(Dimmed(window, cancelledAt + 1));

    QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    EXPECT_EQ(GridBytes(window), KnownBytes());
    EXPECT_EQ(progress.lbProg->text(), "511 bytes leidos...");
    EXPECT_EQ(UnreadBytes(window), 0);
}

TEST(EepromPageFlow, EmptySocketGivesTheAcknowledgeMessagesAndLeavesTheImage) {
    test::SimWindowRig rig;
    TVentana& window = StartOn24C04(rig, test::SimSockets::WithEeprom("none"));
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Write("image.bin", KnownBytes()))};
    QTest::mouseClick(window.eepromPage.ToolButton1, Qt::LeftButton);

    const QString noAck = "Sin acuse de recibo por parte del chip!!!\n            (No se ha recibido ACK)";
    const std::pair<QToolButton*, QString> commands[] = {
        {window.eepromPage.ToolButton4, noAck},
        {window.eepromPage.ToolButton5,
         "Sin acuse de recibo por parte del chip!!!\n(No se ha recibido ACK en byte nº0)"},
        {window.eepromPage.ToolButton9, noAck},
    };
    for (const auto& [button, text] : commands) {
        rig.Boxes().clear();
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(rig.Boxes().size(), 1u) << button->toolTip().toStdString();
        EXPECT_EQ(rig.Boxes()[0].text, text);
        EXPECT_EQ(rig.Boxes()[0].caption, "ERROR");
        EXPECT_EQ(GridBytes(window), KnownBytes()) << button->toolTip().toStdString();
        ExpectBoardOffAndWindowIdle(rig, button->toolTip().toUtf8().constData());
    }
}

// What a read that stopped after byte `last` leaves in the grid: the chip's bytes up to it, the
// image's 0xFF after it.
std::vector<std::uint8_t> ReadUpTo(int last) {
    std::vector<std::uint8_t> expected = KnownBytes();
    std::fill(expected.begin() + last + 1, expected.end(), 0xFF);
    return expected;
}

TEST(EepromPageFlow, ClosingTheWindowDuringAReadCancelsItAndClosesOnceItHasEnded) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", KnownBytes());
    TVentana& window = StartOn24C04(rig);
    bool openAfterClose = false;
    const bool loopEnded = test::SimWindowRig::LoopEndsAfter([&] {
        rig.AtNextPump([&] {
            window.close();
            openAfterClose = window.isVisible();
        });
        QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    });
    EXPECT_TRUE(loopEnded);
    EXPECT_EQ(rig.RanInsideCommand(), true);
    EXPECT_TRUE(openAfterClose);
    EXPECT_FALSE(window.isVisible());
    // "Cancelar..." was pressed for the user: the read stopped after the byte it was on.
    const int last = rig.Progress().lbProg->text().section(' ', 0, 0).toInt();
    EXPECT_LT(last, 2);
    EXPECT_EQ(GridBytes(window), ReadUpTo(last));
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_EQ(rig.port->last, 0x00);
    EXPECT_FALSE(rig.Progress().isVisible());
}

TEST(EepromPageFlow, TerminationSignalDuringAReadCancelsItAndThenEndsTheProgram) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", KnownBytes());
    TVentana& window = StartOn24C04(rig);
    QuitSignals quitSignals;  // wired as the program wires it
    QObject::connect(&quitSignals, &QuitSignals::QuitRequested, &window, &TVentana::Salir1Click);
    std::vector<int> progressCounts;  // the counter at every pass of the loop after the signal
    bool progressHiddenEarly = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!window.CommandRunning()) return;
        if (progressCounts.empty()) std::raise(SIGTERM);
        progressCounts.push_back(rig.Progress().lbProg->text().section(' ', 0, 0).toInt());
        if (!rig.Progress().isVisible()) progressHiddenEarly = true;
    });
    const bool loopEnded = test::SimWindowRig::LoopEndsAfter([&] {
        watcher.start(0);
        QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    });
    watcher.stop();
    EXPECT_TRUE(loopEnded);
    ASSERT_FALSE(progressCounts.empty());
    EXPECT_FALSE(progressHiddenEarly);
    // The signal reaches the window at the next pass of the loop, which presses "Cancelar...".
    const int last = rig.Progress().lbProg->text().section(' ', 0, 0).toInt();
    EXPECT_LE(last, progressCounts.front() + 2);
    EXPECT_EQ(GridBytes(window), ReadUpTo(last));
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_FALSE(window.isVisible());
    rig.Stop();
    EXPECT_EQ(rig.port->last, 0x00);
}

}  // namespace
}  // namespace tarpel::ui

namespace tarpel::ui {
namespace {

QAction* RecentItem(QMenu* recent, int index) {
    emit recent->aboutToShow();  // as the menu fills itself when it opens
    return index < recent->actions().size() ? recent->actions()[index] : nullptr;
}

TEST(EepromPageFlow, AFileComesInByArgumentByDropAndFromTheRecentFiles) {
    test::SimWindowRig rig;
    TVentana& window = StartOn24C04(rig);
    rig.ClickTab(window.avrPage.TabSheet2);
    std::vector<std::uint8_t> first = KnownBytes(), second = KnownBytes();
    std::reverse(second.begin(), second.end());
    const QString firstFile = QString::fromStdString(rig.folder.Write("first.bin", first));
    const QString secondFile = QString::fromStdString(rig.folder.Write("second.hex", ":02000200ABCD84\r\n:00000001FF\r\n"));
    const QString goneFile = QString::fromStdString(rig.folder.Write("gone.bin", second));

    window.OpenStartFiles(firstFile, {});
    EXPECT_EQ(window.PageControl1->currentWidget(), window.eepromPage.ts24CXXX);
    EXPECT_EQ(GridBytes(window), first);
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_TRUE(rig.DropFiles({goneFile}));
    EXPECT_EQ(GridBytes(window), second);
    // Several files: the first is taken. A HEX file by its kind, FF where it has no data.
    EXPECT_TRUE(rig.DropFiles({secondFile, firstFile}));
    std::vector<std::uint8_t> hex(ChipBytes, 0xFF);
    hex[2] = 0xAB;
    hex[3] = 0xCD;
    EXPECT_EQ(GridBytes(window), hex);
    EXPECT_TRUE(window.windowTitle().startsWith("second.hex - "));

    std::filesystem::remove(goneFile.toStdString());
    ASSERT_EQ(RecentItem(window.menu.Recientes1, 2), nullptr);  // the gone one is left out
    EXPECT_TRUE(RecentItem(window.menu.Recientes1, 0)->text().endsWith("second.hex"));
    RecentItem(window.menu.Recientes1, 1)->trigger();
    EXPECT_EQ(GridBytes(window), first);
    EXPECT_TRUE(RecentItem(window.menu.Recientes1, 0)->text().endsWith("first.bin"));
    EXPECT_EQ(rig.Stored("RECIENTES_24CXXX1"), firstFile);
    // A typed byte makes the next file ask first; "Cancelar" keeps the image.
    window.eepromPage.SG->setCurrentIndex(window.eepromPage.SG->model()->index(0, 1));
    QTest::keyClicks(window.eepromPage.SG, "00");
    rig.runner.recorder.questionAnswer = QMessageBox::Cancel;
    EXPECT_TRUE(rig.DropFiles({secondFile}));
    EXPECT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(GridBytes(window)[0], 0x00);
    EXPECT_EQ(rig.EnabledCommandControls(), rig.CommandControls());
}

TEST(EepromPageFlow, FindGoesToEachHitBothWaysAndWrapsAtEitherEnd) {
    test::SimWindowRig rig;
    TVentana& window = StartOn24C04(rig);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    std::vector<std::uint8_t> image(ChipBytes, 0x00);
    image[0x006] = 'A', image[0x007] = 0x80;  // 0x80: the euro sign in Windows-1252
    image[0x1F7] = 'A', image[0x1F8] = 0x80;  // across the end of a row of the grid
    ASSERT_TRUE(window.OpenEepromFile(QString::fromStdString(rig.folder.Write("find.bin", image))));

    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    auto* find = window.findChild<FindDialog*>();
    ASSERT_TRUE(find && find->isVisible());
    QTest::keyClicks(find->edBuscar, "41 8");
    EXPECT_FALSE(find->btnSiguiente->isEnabled());  // half a byte
    QTest::keyClicks(find->edBuscar, "0");
    const auto expectHit = [&](int address, const QString& status) {
        const QModelIndexList cells = window.eepromPage.SG->selectionModel()->selectedIndexes();
        EXPECT_EQ(cells.size(), 4);  // both bytes, in both panes
        EXPECT_EQ(HexGridModel::AddressOf(window.eepromPage.SG->currentIndex()), address);
        for (const QModelIndex& cell : cells) EXPECT_LE(std::abs(HexGridModel::AddressOf(cell) - address), 1);
        EXPECT_EQ(window.lbEstado->text(), status);
    };
    QTest::mouseClick(find->btnSiguiente, Qt::LeftButton);
    expectHit(0x006, "Busqueda: encontrado en 0006");
    find->rbTexto->setChecked(true);
    find->edBuscar->setText(QString::fromUtf8("A€"));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F3);
    expectHit(0x1F7, "Busqueda: encontrado en 01F7");
    QTest::keyClick(&window, Qt::Key_F3);
    expectHit(0x006, "Busqueda: vuelta al principio; encontrado en 0006");
    QTest::keyClick(&window, Qt::Key_F3, Qt::ShiftModifier);
    expectHit(0x1F7, "Busqueda: vuelta al final; encontrado en 01F7");
    QTest::mouseClick(find->btnAnterior, Qt::LeftButton);
    expectHit(0x006, "Busqueda: encontrado en 0006");
    find->edBuscar->setText("AA");
    QTest::mouseClick(find->btnSiguiente, Qt::LeftButton);
    EXPECT_EQ(window.lbEstado->text(), "Busqueda: no se encuentra");
}

}  // namespace
}  // namespace tarpel::ui
