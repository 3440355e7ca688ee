// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>

#include <vector>

#include "WindowRig.h"
#include "eeprom/EepromWorkspace.h"
#include "ui/HexGridModel.h"
#include "ui/HexGridView.h"

namespace tarpel::ui {
namespace {

QString Cell(TVentana& window, int row, int column) {
    const QAbstractItemModel* model = window.eepromPage.SG->model();
    return model->data(model->index(row, column)).toString();
}

// Every hex cell of the grid, row by row.
std::vector<QString> HexCells(TVentana& window) {
    std::vector<QString> cells;
    for (int row = 0; row < window.eepromPage.SG->model()->rowCount(); ++row)
        for (int column = 1; column <= 8; ++column) cells.push_back(Cell(window, row, column));
    return cells;
}

TEST(HexGrid, EachChipGivesItsRowsAndLastAddressAllErased) {
    struct Case {
        int index;
        int rows;
        const char* lastAddress;
    };
    test::WindowRig rig;
    TVentana& window = rig.Start();
    for (const Case c : {Case{2, 64, "01F8"}, Case{9, 8192, "FFF8"}, Case{5, 512, "0FF8"}}) {
        window.eepromPage.cbChip->setCurrentIndex(c.index);
        EXPECT_EQ(window.eepromPage.SG->model()->rowCount(), c.rows) << c.index;
        EXPECT_EQ(window.eepromPage.SG->model()->columnCount(), 17);
        EXPECT_EQ(Cell(window, 0, 0), "0000");
        EXPECT_EQ(Cell(window, c.rows - 1, 0), c.lastAddress) << c.index;
        EXPECT_EQ(window.eepromPage.SG->columnWidth(0), 50);
        EXPECT_EQ(window.eepromPage.SG->columnWidth(8), 30);
        EXPECT_EQ(window.eepromPage.SG->columnWidth(9), 12);
        EXPECT_EQ(window.eepromPage.SG->columnWidth(16), 12);
    }
    window.eepromPage.cbChip->setCurrentIndex(2);
    const std::vector<QString> cells = HexCells(window);
    EXPECT_EQ(cells.size(), 512u);
    EXPECT_EQ(std::count(cells.begin(), cells.end(), QString("FF")), 512);
}

TEST(HexGrid, CharacterColumnsDotTheControlRangesOnly) {
    struct Case {
        std::uint8_t value;
        char16_t shown;
    };
    test::WindowRig rig;
    TVentana& window = rig.Start();
    const Case cases[] = {{0x00, 0xB7}, {0x1F, 0xB7}, {0x80, 0xB7}, {0x9F, 0xB7}, {0x20, u' '}, {0x41, u'A'},
                          {0x7F, 0x7F}, {0xA0, 0xA0}, {0xAD, u'-'}, {0xB7, 0xB7}, {0xE9, u'é'},  {0xFF, 0xFF}};
    int index = 0;
    for (const Case c : cases) window.Workspace().MemoryImage[static_cast<std::size_t>(index++)] = c.value;
    window.RefreshGrid();
    index = 0;
    for (const Case c : cases) {
        const int row = index / 8;
        const int position = index % 8;
        EXPECT_EQ(Cell(window, row, 1 + position), GridHexText(c.value)) << int(c.value);
        EXPECT_EQ(Cell(window, row, 9 + position), QString(QChar(c.shown))) << int(c.value);
        ++index;
    }
}

TEST(HexGrid, ChipChangeNeverShowsStaleBytes) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    window.eepromPage.cbChip->setCurrentIndex(9);
    auto& image = window.Workspace().MemoryImage;
    for (std::size_t i = 0; i < 65536; ++i) image[i] = static_cast<std::uint8_t>(i * 7);
    window.RefreshGrid();
    EXPECT_EQ(Cell(window, 8191, 8), GridHexText(static_cast<std::uint8_t>(65535 * 7)));

    window.eepromPage.cbChip->setCurrentIndex(3);
    std::vector<QString> cells = HexCells(window);
    EXPECT_EQ(cells.size(), 1024u);
    EXPECT_EQ(std::count(cells.begin(), cells.end(), QString("FF")), 1024);

    window.eepromPage.cbChip->setCurrentIndex(9);  // back to the large chip: refilled, nothing comes back
    cells = HexCells(window);
    EXPECT_EQ(cells.size(), 65536u);
    EXPECT_EQ(std::count(cells.begin(), cells.end(), QString("FF")), 65536);
}

// Typing edits the image through the grid's own keys (GridEditingTest), never through a cell editor.
TEST(HexGrid, OpensNoCellEditorWithOneCellSelectedAndTheAddressColumnFixed) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    EXPECT_EQ(window.eepromPage.SG->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(window.eepromPage.SG->selectionMode(), QAbstractItemView::SingleSelection);
    const QAbstractItemModel* model = window.eepromPage.SG->model();
    EXPECT_FALSE(model->flags(model->index(3, 0)) & Qt::ItemIsSelectable);
    EXPECT_FALSE(model->flags(model->index(3, 5)) & Qt::ItemIsEditable);
    EXPECT_TRUE(window.eepromPage.SG->font().fixedPitch());
}

TEST(HexGrid, RefreshKeepsTheMouseCursorAndTheCurrentCell) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    window.eepromPage.SG->setCurrentIndex(window.eepromPage.SG->model()->index(100, 3));
    for (const auto shape : {shell::CursorShape::Hourglass, shell::CursorShape::Default}) {
        window.Shell().SetCursor(shape);
        window.Workspace().MemoryImage[801] = 0x5A;
        window.RefreshGrid();
        EXPECT_EQ(window.Shell().Cursor(), shape);
        EXPECT_EQ(window.eepromPage.SG->currentIndex().row(), 100);
        EXPECT_EQ(window.eepromPage.SG->currentIndex().column(), 3);
        EXPECT_EQ(Cell(window, 100, 2), "5A");
    }
}

// The grid paints its cells itself, for speed; it must look exactly like the table view's own
// painting: texts, address column, selection, grid lines, disabled colours and empty space.
TEST(HexGrid, PaintsLikeThePlainTableView) {
    eeprom::EepromWorkspace workspace;
    workspace.cbChipChange(2);
    for (std::size_t i = 0; i < 512; ++i) workspace.MemoryImage[i] = static_cast<std::uint8_t>(i * 7);
    HexGridModel model(workspace);
    model.Refresh();

    HexGridView fast;
    QTableView plain;
    for (QTableView* view : {static_cast<QTableView*>(&fast), &plain}) {
        view->setModel(&model);
        QFont font(QStringLiteral("Monospace"));
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(13);
        view->setFont(font);
        view->horizontalHeader()->hide();
        view->verticalHeader()->hide();
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(21);
        view->horizontalHeader()->setMinimumSectionSize(1);
        for (int column = 0; column < HexGridModel::ColumnCount; ++column)
            view->setColumnWidth(column, column == 0 ? 50 : column <= 8 ? 30 : 12);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->resize(600, 300);
        view->setCurrentIndex(model.index(4, 3));
        view->verticalScrollBar()->setValue(2);
    }
    // Each view as it shows now; focused, it is the active window's focus widget first.
    const auto image = [](QTableView& view, bool focused) {
        if (focused) {
            view.show();
            view.activateWindow();
            view.setFocus();
            QCoreApplication::processEvents();
            EXPECT_TRUE(view.hasFocus());
        }
        return view.grab().toImage();
    };
    const auto same = [&](const char* what, bool focused = false) {
        const QImage fastImage = image(fast, focused);
        const QImage plainImage = image(plain, focused);
        ASSERT_EQ(fastImage.size(), plainImage.size()) << what;
        int differing = 0;
        for (int y = 0; y < fastImage.height(); ++y)
            for (int x = 0; x < fastImage.width(); ++x) differing += fastImage.pixel(x, y) != plainImage.pixel(x, y);
        EXPECT_EQ(differing, 0) << what;
    };
    same("unfocused");
    same("focused", true);
    fast.setEnabled(false);
    plain.setEnabled(false);
    same("disabled");
}

TEST(HexGrid, OpenAndSaveButtonsRunTheFileCommands) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    window.eepromPage.cbChip->setCurrentIndex(2);
    std::vector<std::uint8_t> bytes(512);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
    const QString source = QString::fromStdString(rig.folder.Write("in.bin", bytes));
    rig.runner.fileAnswers = {source};
    window.eepromPage.ToolButton1->click();
    EXPECT_EQ(Cell(window, 63, 7), "FE");
    EXPECT_EQ(Cell(window, 1, 1), "08");
    ASSERT_EQ(rig.runner.fileDialogs.size(), 1u);
    EXPECT_EQ(rig.runner.fileDialogs[0].title, "Abrir fichero");

    const QString target = QString::fromStdString(rig.folder.Path("out.bin"));
    rig.runner.fileAnswers = {target};
    window.eepromPage.ToolButton2->click();
    ASSERT_EQ(rig.runner.fileDialogs.size(), 2u);
    EXPECT_EQ(rig.runner.fileDialogs[1].title, "Guardar fichero");
    EXPECT_EQ(rig.folder.ReadBytes("out.bin"), bytes);
}

}  // namespace
}  // namespace tarpel::ui
