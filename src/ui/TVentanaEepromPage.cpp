// SPDX-License-Identifier: GPL-2.0-or-later
// Builds the 24CXXX page and lays it out: the toolbar between its two edges, the chip list with
// the image's sums, and the hex grid, whose model the sums and the list of differences follow.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/DifferenceList.h"
#include "ui/HexGridModel.h"
#include "ui/HexGridView.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"
#include "ui/WheelNeedsFocus.h"
#include "ui/WindowParts.h"

namespace tarpel::ui {

namespace {

// A tool tip that also gives the key of the same command in the menu.
QString WithKey(const QString& toolTip, const QAction* action) {
    return QStringLiteral("%1 (%2)").arg(toolTip, action->shortcut().toString(QKeySequence::NativeText));
}

}  // namespace

void TVentana::BuildEepromPage() {
    EepromPage& page = eepromPage;
    page.ts24CXXX = new QWidget;
    page.ts24CXXX->setObjectName(QStringLiteral("ts24CXXX"));
    PageControl1->addTab(page.ts24CXXX, QStringLiteral("24CXXX"));

    auto* edgeAbove = new QFrame(page.ts24CXXX);
    edgeAbove->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    page.ToolBar1 = new QToolBar(page.ts24CXXX);
    page.ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    page.ToolBar1->setFixedHeight(29);
    page.ToolBar1->setIconSize(QSize(16, 16));
    page.ToolBar1->setMovable(false);
    page.ToolBar1->setFloatable(false);
    auto* edgeBelow = new QFrame(page.ts24CXXX);
    edgeBelow->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    auto addButton = [this, &page](const QString& name, int icon, const QString& toolTip) {
        auto* button = new QToolButton(page.ToolBar1);
        button->setObjectName(name);
        button->setIcon(IL[icon]);
        button->setToolTip(toolTip);
        button->setAutoRaise(true);
        button->setFixedSize(24, 24);
        page.ToolBar1->addWidget(button);
        return button;
    };
    auto addSeparator = [&page](const QString& name) {
        auto* separator = new QFrame(page.ToolBar1);
        separator->setObjectName(name);
        separator->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        separator->setFixedSize(8, 22);
        page.ToolBar1->addWidget(separator);
    };
    page.ToolButton1 = addButton(QStringLiteral("ToolButton1"), 0, WithKey(TrQ("Abrir fichero..."), menu.Abrir1));
    page.ToolButton2 = addButton(QStringLiteral("ToolButton2"), 1, WithKey(TrQ("Guardar fichero..."), menu.Guardar1));
    addSeparator(QStringLiteral("ToolButton3"));
    page.ToolButton4 = addButton(QStringLiteral("ToolButton4"), 2, WithKey(TrQ("Leer chip"), menu.Leerchip1));
    page.ToolButton5 = addButton(QStringLiteral("ToolButton5"), 3, WithKey(TrQ("Programar chip"), menu.Grabarchip1));
    page.Programarcambios1 = page.ToolBar1->addAction(IL[3], TrQ("Programar ca&mbios"));
    page.Programarcambios1->setObjectName(QStringLiteral("Programarcambios1"));
    page.Programarcambios1->setToolTip(TrQ("Graba solo las paginas del chip que difieren de la imagen"));
    // With its caption, beside the icon it shares with "Programar chip".
    if (auto* button = qobject_cast<QToolButton*>(page.ToolBar1->widgetForAction(page.Programarcambios1)))
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    menu.Memoria1->insertAction(menu.Verificar1, page.Programarcambios1);
    connect(page.Programarcambios1, &QAction::triggered, this, [this] {
        ShowEepromPage();
        Programarcambios1Click();
    });
    // With its caption: a production run is no everyday command an icon alone would name.
    page.ToolButtonProduccion = addButton(QStringLiteral("ToolButtonProduccion"), 3,
                                   TrQ("Graba un chip tras otro con el mismo fichero, cada uno con su numero de serie, y "
                                       "los anota en un registro..."));
    page.ToolButtonProduccion->setText(TrQ("Produccion..."));
    page.ToolButtonProduccion->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    page.ToolButtonProduccion->setMinimumWidth(0);
    page.ToolButtonProduccion->setMaximumWidth(QWIDGETSIZE_MAX);
    addSeparator(QStringLiteral("ToolButton6"));
    page.ToolButton9 = addButton(QStringLiteral("ToolButton9"), 4, WithKey(TrQ("Verificar chip"), menu.Verificar1));
    addSeparator(QStringLiteral("ToolButton10"));
    page.ToolButton11 = addButton(QStringLiteral("ToolButton11"), 5, TrQ("Acerca de..."));
    addSeparator(QStringLiteral("ToolButton12"));
    // Actions rather than buttons: a menu can take them as they are.
    page.Compararconfichero1 = page.ToolBar1->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                                        TrQ("&Comparar con fichero..."));
    page.Compararconfichero1->setObjectName(QStringLiteral("Compararconfichero1"));
    page.Compararconfichero1->setToolTip(TrQ("Compara la imagen con un fichero, sin usar el chip"));
    page.Detectarchip1 =
        page.ToolBar1->addAction(style()->standardIcon(QStyle::SP_DriveHDIcon), TrQ("De&tectar chip"));
    page.Detectarchip1->setObjectName(QStringLiteral("Detectarchip1"));
    page.Detectarchip1->setToolTip(TrQ("Averigua que memoria hay en el zocalo, sin grabar nada en ella"));
    // Also in the Memoria menu, in the place kept for them.
    menu.Memoria1->insertAction(menu.N4, page.Compararconfichero1);
    menu.Memoria1->insertAction(menu.N4, page.Detectarchip1);

    page.Panel1 = MakePanel(QStringLiteral("Panel1"), page.ts24CXXX, false);
    page.Panel1->setFixedHeight(33);
    auto* chipLayout = new QHBoxLayout(page.Panel1);
    chipLayout->setContentsMargins(8, 4, 8, 4);
    auto* chipLabel = new QLabel(TrQ("Tipo de memoria:"), page.Panel1);
    page.cbChip = new QComboBox(page.Panel1);
    page.cbChip->setObjectName(QStringLiteral("cbChip"));
    for (const auto& chip : eeprom::ChipCatalogue) page.cbChip->addItem(FromUtf8(chip.itemText));
    page.cbChip->setMinimumWidth(140);
    page.cbChip->setFocusPolicy(Qt::StrongFocus);
    page.cbChip->installEventFilter(new WheelNeedsFocus(page.cbChip));
    chipLabel->setBuddy(page.cbChip);
    chipLayout->addWidget(chipLabel);
    chipLayout->addWidget(page.cbChip);
    chipLayout->addSpacing(24);
    page.lbSumas = new QLabel(page.Panel1);
    page.lbSumas->setObjectName(QStringLiteral("lbSumas"));
    page.lbSumas->setToolTip(TrQ("CRC-32 (el de zlib) y suma de 16 bits de la imagen"));
    page.lbSumas->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A fixed size, as wide as the widest sums: new sums then repaint the label alone, where a
    // label free to grow lays the whole window out again (about 1 ms on a 24C512 chip change).
    page.lbSumas->setFixedSize(
        page.lbSumas->fontMetrics().horizontalAdvance(QStringLiteral("CRC32 DDDDDDDD, suma 0xDDDD")) + 4,
        page.lbSumas->sizeHint().height());
    chipLayout->addWidget(page.lbSumas);
    chipLayout->addStretch();

    gridModel_ = new HexGridModel(workspace_, this);
    page.SG = new HexGridView(page.ts24CXXX);
    page.SG->setObjectName(QStringLiteral("SG"));
    page.SG->setModel(gridModel_);
    // Whatever changes the image shows in the grid's model: the checksums follow it.
    // Summing the whole image on every signal would cost more than the grid's own repaint (a chip
    // change signals twice), so the sums are taken once, at the next pass of the message loop.
    checksumsTimer_ = new QTimer(this);
    checksumsTimer_->setSingleShot(true);
    checksumsTimer_->setInterval(0);
    connect(checksumsTimer_, &QTimer::timeout, this, &TVentana::ShowImageChecksums);
    const auto sumsLater = [this] { checksumsTimer_->start(); };
    connect(gridModel_, &QAbstractItemModel::modelReset, this, sumsLater);
    connect(gridModel_, &QAbstractItemModel::dataChanged, this,
            [sumsLater](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (!roles.contains(Qt::BackgroundRole)) sumsLater();
            });
    formDiferencias = new DifferenceList(this);
    connect(formDiferencias, &DifferenceList::AddressChosen, this, [this](std::uint32_t address) {
        PageControl1->setCurrentWidget(eepromPage.ts24CXXX);
        const QModelIndex cell = gridModel_->index(static_cast<int>(address / HexGridModel::BytesPerRow),
                                                   1 + static_cast<int>(address % HexGridModel::BytesPerRow));
        if (cell.isValid()) eepromPage.SG->setCurrentIndex(cell);
    });
    QFont gridFont(QStringLiteral("Monospace"));
    gridFont.setStyleHint(QFont::TypeWriter);
    gridFont.setFixedPitch(true);
    gridFont.setPixelSize(13);
    page.SG->setFont(gridFont);
    page.SG->horizontalHeader()->hide();
    page.SG->verticalHeader()->hide();
    // Fixed sizes everywhere: the view never measures its 8,192 rows one by one.
    page.SG->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    page.SG->verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont).height() + 6);
    page.SG->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    page.SG->horizontalHeader()->setMinimumSectionSize(1);
    page.SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    page.SG->setSelectionMode(QAbstractItemView::SingleSelection);
    page.SG->setSelectionBehavior(QAbstractItemView::SelectItems);
    page.SG->setTextElideMode(Qt::ElideNone);
    page.SG->setWordWrap(false);
    page.SG->setShowGrid(true);
    page.SG->setTabKeyNavigation(true);  // Tab goes between a byte's hex and character cells

    auto* pageLayout = new QVBoxLayout(page.ts24CXXX);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addWidget(edgeAbove);
    pageLayout->addWidget(page.ToolBar1);
    pageLayout->addWidget(edgeBelow);
    pageLayout->addWidget(page.Panel1);
    pageLayout->addWidget(page.SG, 1);
}

}  // namespace tarpel::ui
