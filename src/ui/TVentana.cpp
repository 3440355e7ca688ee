#include "ui/TVentana.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <string_view>
#include <type_traits>

#include "avr/FuseLists.h"
#include "board/CheckBoard.h"
#include "ui/DifferenceList.h"
#include "ui/HexGridModel.h"
#include "ui/HexGridView.h"
#include "ui/ImageHistory.h"
#include "ui/SettingsStore.h"
#include "ui/TGauge.h"
#include "ui/ToolBarIcons.h"
#include "ui/TrQ.h"
#include "ui/WheelNeedsFocus.h"
#include "ui/WindowTitles.h"

namespace tarpel::ui {

namespace {

QFrame* MakePanel(const QString& name, QWidget* parent, bool lowered) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (lowered) panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

// The red, bold, underlined headings of the AVR page's panels.
QLabel* MakeHeading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
    return label;
}

// A button column of the AVR page: a lowered panel of a fixed width (or what its captions need
// where the font is wider than Arial) with its red heading on top.
QVBoxLayout* MakeButtonColumn(QFrame* panel, int width, const QString& heading) {
    panel->setMinimumWidth(width);
    panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 8, 4, 8);
    layout->addWidget(MakeHeading(heading, panel), 0, Qt::AlignHCenter);
    return layout;
}

QPushButton* MakeButton(const QString& name, const QString& caption, const QIcon& icon, QWidget* parent,
                        const QString& toolTip = {}) {
    auto* button = new QPushButton(icon, caption, parent);
    button->setObjectName(name);
    button->setMinimumHeight(25);
    button->setAutoDefault(false);
    if (!toolTip.isEmpty()) button->setToolTip(toolTip);
    return button;
}

QComboBox* MakeList(const QString& name, const QStringList& items, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QCheckBox* MakeCheck(const QString& name, const QString& caption, QWidget* parent) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name);
    return check;
}

QAction* MakeAction(const QString& name, const QString& caption, QMenu* menu, bool visible = true) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setVisible(visible);
    return action;
}

QAction* MakeAction(const QString& name, const QString& caption, QMenu* menu, const QKeySequence& key) {
    QAction* action = MakeAction(name, caption, menu);
    action->setShortcut(key);
    return action;
}

// A tool tip that also gives the key of the same command in the menu.
QString WithKey(const QString& toolTip, const QAction* action) {
    return QStringLiteral("%1 (%2)").arg(toolTip, action->shortcut().toString(QKeySequence::NativeText));
}

}  // namespace

TVentana::TVentana(const Dependencies& dependencies, QWidget* parent)
    : QMainWindow(parent),
      port_(dependencies.port),
      clock_(dependencies.clock),
      settings_(dependencies.settings),
      modalRunner_(dependencies.modalRunner),
      boardDescription_(dependencies.boardDescription),
      boardError_(dependencies.boardError),
      lines_(dependencies.port),
      timing_(dependencies.clock),
      shell_(this, dependencies.modalRunner, OD, SD),
      eepromFrame_(workspace_, lines_, timing_, shell_),
      avrFrame_(lines_, timing_, shell_, *this) {
    setObjectName(QStringLiteral("Ventana"));
    setWindowTitle(MainWindowCaption);
    // Arial where it exists; else a face of the same width, so that the captions fit the
    // fixed panel widths (a wide face such as DejaVu Sans would cut them).
    QFont windowFont;
    windowFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                            QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans Condensed")});
    windowFont.setPixelSize(13);
    setFont(windowFont);
    resize(713, 554);

    IL = PaintToolBarIcons();
    BuildMenu();
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(PageControl1);
    BuildAvrPage();
    BuildEepromPage();
    PageControl1->setCurrentWidget(TabSheet2);
    BuildStatusBar();
    shell_.AttachGauges(prFlash, prEEPInt);
    shell_.WatchPort(port_);

    workspace_.RefreshGrid = [this] { RefreshGrid(); };
    workspace_.DifferencesFound = [this](std::span<const files::ByteDifference> differences) {
        ShowImageDifferences(differences);
    };
    FormCreate();
    BuildImageHistory();

    ConnectShellHandlers();
    ConnectDialogHandlers();
    ConnectEepromHandlers();
    ConnectAvrHandlers();

    if (!boardError_.isEmpty()) QTimer::singleShot(0, this, &TVentana::ReportBoardError);
}

TVentana::~TVentana() {
    FormDestroy();
    // Before the members it uses go: its stack's last signals still reach the window.
    delete history_;
    history_ = nullptr;
    workspace_.RefreshGrid = nullptr;
    workspace_.DifferencesFound = nullptr;
}

void TVentana::BuildMenu() {
    Ficheros1 = menuBar()->addMenu(TrQ("&Programa"));
    Ficheros1->setObjectName(QStringLiteral("Ficheros1"));
    Salir1 = MakeAction(QStringLiteral("Salir1"), TrQ("&Salir"), Ficheros1);

    Memoria1 = menuBar()->addMenu(TrQ("&Memoria"));
    Memoria1->setObjectName(QStringLiteral("Memoria1"));
    Abrir1 = MakeAction(QStringLiteral("Abrir1"), TrQ("&Abrir fichero..."), Memoria1,
                        QKeySequence(Qt::CTRL | Qt::Key_O));
    Guardar1 = MakeAction(QStringLiteral("Guardar1"), TrQ("&Guardar fichero..."), Memoria1,
                          QKeySequence(Qt::CTRL | Qt::Key_S));
    Memoria1->addSeparator();
    Leerchip1 =
        MakeAction(QStringLiteral("Leerchip1"), TrQ("&Leer chip"), Memoria1, QKeySequence(Qt::Key_F5));
    Grabarchip1 = MakeAction(QStringLiteral("Grabarchip1"), TrQ("&Programar chip"), Memoria1,
                             QKeySequence(Qt::Key_F6));
    Verificar1 = MakeAction(QStringLiteral("Verificar1"), TrQ("&Verificar chip"), Memoria1,
                            QKeySequence(Qt::Key_F7));
    N3 = Memoria1->addSeparator();
    N3->setObjectName(QStringLiteral("N3"));
    N4 = Memoria1->addSeparator();
    N4->setObjectName(QStringLiteral("N4"));
    Deshacer1 = MakeAction(QStringLiteral("Deshacer1"), TrQ("&Deshacer"), Memoria1,
                           QKeySequence(Qt::CTRL | Qt::Key_Z));
    Rehacer1 = MakeAction(QStringLiteral("Rehacer1"), TrQ("&Rehacer"), Memoria1);
    Rehacer1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    Irdireccion1 = MakeAction(QStringLiteral("Irdireccion1"), TrQ("&Ir a direccion..."), Memoria1,
                              QKeySequence(Qt::CTRL | Qt::Key_G));
    Rellenar1 = MakeAction(QStringLiteral("Rellenar1"), TrQ("Re&llenar..."), Memoria1);

    Configuracion1 = menuBar()->addMenu(QStringLiteral("&Hardware"));
    Configuracion1->setObjectName(QStringLiteral("Configuracion1"));
    Configuracion2 = MakeAction(QStringLiteral("Configuracion2"), TrQ("&Configuracion..."), Configuracion1);
    N2 = Configuracion1->addSeparator();
    N2->setObjectName(QStringLiteral("N2"));
    N2->setVisible(false);
    // Present but never offered: their commands exist for the developer only.
    Checkearvelcor1 =
        MakeAction(QStringLiteral("Checkearvelcor1"), TrQ("Checkear velcor..."), Configuracion1, false);
    Comprobacionmanual1 = MakeAction(QStringLiteral("Comprobacionmanual1"), TrQ("Comprobacion &manual..."),
                                     Configuracion1, false);

    Ayuda1 = menuBar()->addMenu(TrQ("A&yuda"));
    Ayuda1->setObjectName(QStringLiteral("Ayuda1"));
    Acercade1 = MakeAction(QStringLiteral("Acercade1"), TrQ("&Acerca de..."), Ayuda1);
}

void TVentana::BuildAvrPage() {
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("AT8515/MEGA8515/AT4414"));
    const QStyle* look = style();
    const QIcon readIcon = IL[2];
    const QIcon programIcon = IL[3];
    const QIcon verifyIcon = IL[4];

    // Right-most: reading.
    Panel3 = MakePanel(QStringLiteral("Panel3"), TabSheet2, true);
    QVBoxLayout* readLayout = MakeButtonColumn(Panel3, 175, TrQ("LECTURA"));
    btnTestBlank = MakeButton(QStringLiteral("btnTestBlank"), QStringLiteral("Blank-test"),
                              look->standardIcon(QStyle::SP_DialogResetButton), Panel3,
                              TrQ("Comprueba que la flash y la eeprom esten vacios..."));
    btnLeerFlash = MakeButton(QStringLiteral("btnLeerFlash"), TrQ("Leer flash..."), readIcon, Panel3);
    btnLeerEEPInt =
        MakeButton(QStringLiteral("btnLeerEEPInt"), TrQ("Leer eeprom interna..."), readIcon, Panel3);
    btnFLashVerif = MakeButton(QStringLiteral("btnFLashVerif"), TrQ("Verificar flash..."), verifyIcon,
                               Panel3, TrQ("Compara el contenido de un archivo con la flash..."));
    btnEEPInt = MakeButton(QStringLiteral("btnEEPInt"), TrQ("Verificar eeprom interna..."), verifyIcon,
                           Panel3, TrQ("Compara el contenido de un archivo con la eeprom interna..."));
    for (QPushButton* button : {btnTestBlank, btnLeerFlash, btnLeerEEPInt, btnFLashVerif, btnEEPInt})
        readLayout->addWidget(button);
    readLayout->addStretch();

    // Left of it: programming.
    Panel4 = MakePanel(QStringLiteral("Panel4"), TabSheet2, true);
    QVBoxLayout* programLayout = MakeButtonColumn(Panel4, 184, TrQ("PROGRAMACION"));
    btnBorrar = MakeButton(QStringLiteral("btnBorrar"), TrQ("Borrar chip"),
                           look->standardIcon(QStyle::SP_TrashIcon), Panel4,
                           TrQ("Borra la flash y eeprom del chip"));
    btnProgFlash =
        MakeButton(QStringLiteral("btnProgFlash"), TrQ("Programar flash..."), programIcon, Panel4);
    BitBtn1 = MakeButton(QStringLiteral("BitBtn1"), TrQ("Programar eeprom int..."), programIcon, Panel4);
    BitBtn2 = MakeButton(QStringLiteral("BitBtn2"), TrQ("Reprogramar flash..."), programIcon, Panel4);
    BitBtn2->setVisible(false);  // its command exists but is not offered
    for (QPushButton* button : {btnBorrar, btnProgFlash, BitBtn1, BitBtn2}) programLayout->addWidget(button);
    programLayout->addStretch();

    // The remaining left area: the device type and, at its bottom, the fuse panel.
    Panel5 = MakePanel(QStringLiteral("Panel5"), TabSheet2, false);
    auto* deviceLayout = new QVBoxLayout(Panel5);
    deviceLayout->setContentsMargins(8, 8, 8, 0);
    deviceLayout->addWidget(new QLabel(TrQ("Tipo de micro:"), Panel5));
    lbTipo = new QLabel(QStringLiteral("??"), Panel5);
    lbTipo->setObjectName(QStringLiteral("lbTipo"));
    {
        QPalette palette = lbTipo->palette();
        palette.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
        lbTipo->setPalette(palette);
        QFont font = lbTipo->font();
        font.setBold(true);
        lbTipo->setFont(font);
    }
    deviceLayout->addWidget(lbTipo);
    btnTipo = MakeButton(QStringLiteral("btnTipo"), TrQ("Identificar micro"),
                         look->standardIcon(QStyle::SP_MessageBoxQuestion), Panel5,
                         TrQ("Checkear tipo de atmel..."));
    btnTipo->setFixedWidth(150);
    deviceLayout->addWidget(btnTipo);
    deviceLayout->addStretch();

    Panel6 = MakePanel(QStringLiteral("Panel6"), Panel5, true);
    Panel6->setFixedHeight(170);
    auto* fuseLayout = new QGridLayout(Panel6);
    fuseLayout->setContentsMargins(8, 6, 8, 6);
    fuseLayout->setVerticalSpacing(4);
    fuseLayout->addWidget(MakeHeading(QStringLiteral("FLASH FUSES (MEGA)"), Panel6), 0, 0, 1, 4);
    // The lists and check boxes come from the panel's own table, in its order.
    const std::pair<QComboBox**, QString> lists[] = {{&cbXTAL, QStringLiteral("cbXTAL")},
                                                     {&cbSUT, QStringLiteral("cbSUT")},
                                                     {&cbBootSize, QStringLiteral("cbBootSize")}};
    static_assert(std::extent_v<decltype(lists)> == avr::FusePanelLists.size());
    for (int row = 0; row < static_cast<int>(std::size(lists)); ++row) {
        const avr::FusePanelList& items = avr::FusePanelLists[static_cast<std::size_t>(row)];
        QStringList captions;
        for (const std::string_view caption : items.captions) captions << FromUtf8(caption);
        QComboBox* list = MakeList(lists[row].second, captions, Panel6);
        *lists[row].first = list;
        auto* label = new QLabel(TrQ(items.label.data()), Panel6);
        label->setBuddy(list);
        list->setMinimumWidth(110);
        fuseLayout->addWidget(label, 1 + row, 0);
        fuseLayout->addWidget(list, 1 + row, 1);
    }
    const std::pair<QCheckBox**, QString> checks[] = {
        {&cbBODEN, QStringLiteral("cbBODEN")}, {&cbBODLev, QStringLiteral("cbBODLev")},
        {&cbS8515, QStringLiteral("cbS8515")}, {&cbWDTON, QStringLiteral("cbWDTON")},
        {&cbSPIEN, QStringLiteral("cbSPIEN")}, {&cbCKOPT, QStringLiteral("cbCKOPT")},
        {&cbEESAVE, QStringLiteral("cbEESAVE")}, {&cbBOOTRST, QStringLiteral("cbBOOTRST")}};
    static_assert(std::extent_v<decltype(checks)> == avr::FusePanelBoxes.size());
    for (int i = 0; i < static_cast<int>(std::size(checks)); ++i) {
        QCheckBox* check =
            MakeCheck(checks[i].second, TrQ(avr::FusePanelBoxes[static_cast<std::size_t>(i)].caption.data()), Panel6);
        *checks[i].first = check;
        fuseLayout->addWidget(check, 1 + i % 4, 2 + i / 4);
    }
    // Serial programming must stay enabled: clearing it would lock this programmer out.
    cbSPIEN->setChecked(true);
    cbSPIEN->setEnabled(false);
    btnLeerFuses = MakeButton(QStringLiteral("btnLeerFuses"), TrQ("Leer"), readIcon, Panel6);
    btnGrabarFuses = MakeButton(QStringLiteral("btnGrabarFuses"), TrQ("Grabar"), programIcon, Panel6);
    auto* fuseButtons = new QHBoxLayout;
    fuseButtons->addWidget(btnLeerFuses);
    fuseButtons->addWidget(btnGrabarFuses);
    fuseButtons->addStretch();
    fuseLayout->addLayout(fuseButtons, 4, 0, 1, 2);
    fuseLayout->setColumnStretch(4, 1);
    fuseLayout->setRowStretch(5, 1);
    fuseLayout->setColumnMinimumWidth(2, 120);
    deviceLayout->addWidget(Panel6);

    // Bottom: the two gauges.
    Panel2 = MakePanel(QStringLiteral("Panel2"), TabSheet2, false);
    Panel2->setFixedHeight(91);
    auto* gaugeLayout = new QGridLayout(Panel2);
    gaugeLayout->setContentsMargins(8, 8, 8, 8);
    prFlash = new TGauge(Panel2);
    prFlash->setObjectName(QStringLiteral("prFlash"));
    prEEPInt = new TGauge(Panel2);
    prEEPInt->setObjectName(QStringLiteral("prEEPInt"));
    const std::pair<QString, TGauge*> gauges[] = {{TrQ("Progreso de flash:"), prFlash},
                                                  {TrQ("Progreso de eeprom interna:"), prEEPInt}};
    int row = 0;
    for (const auto& [caption, gauge] : gauges) {
        gauge->setFixedSize(249, 25);
        gauge->SetForeColor(Qt::red);
        gaugeLayout->addWidget(new QLabel(caption, Panel2), row, 0);
        gaugeLayout->addWidget(gauge, row, 1);
        ++row;
    }
    gaugeLayout->setColumnStretch(2, 1);

    auto* upper = new QHBoxLayout;
    upper->setSpacing(0);
    upper->addWidget(Panel5, 1);
    upper->addWidget(Panel4);
    upper->addWidget(Panel3);
    auto* pageLayout = new QVBoxLayout(TabSheet2);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addLayout(upper, 1);
    pageLayout->addWidget(Panel2);
}

void TVentana::BuildEepromPage() {
    ts24CXXX = new QWidget;
    ts24CXXX->setObjectName(QStringLiteral("ts24CXXX"));
    PageControl1->addTab(ts24CXXX, QStringLiteral("24CXXX"));

    auto* edgeAbove = new QFrame(ts24CXXX);
    edgeAbove->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    ToolBar1 = new QToolBar(ts24CXXX);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(29);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    auto* edgeBelow = new QFrame(ts24CXXX);
    edgeBelow->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    auto addButton = [this](const QString& name, int icon, const QString& toolTip) {
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(name);
        button->setIcon(IL[icon]);
        button->setToolTip(toolTip);
        button->setAutoRaise(true);
        button->setFixedSize(24, 24);
        ToolBar1->addWidget(button);
        return button;
    };
    auto addSeparator = [this](const QString& name) {
        auto* separator = new QFrame(ToolBar1);
        separator->setObjectName(name);
        separator->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        separator->setFixedSize(8, 22);
        ToolBar1->addWidget(separator);
    };
    ToolButton1 = addButton(QStringLiteral("ToolButton1"), 0, WithKey(TrQ("Abrir fichero..."), Abrir1));
    ToolButton2 = addButton(QStringLiteral("ToolButton2"), 1, WithKey(TrQ("Guardar fichero..."), Guardar1));
    addSeparator(QStringLiteral("ToolButton3"));
    ToolButton4 = addButton(QStringLiteral("ToolButton4"), 2, WithKey(TrQ("Leer chip"), Leerchip1));
    ToolButton5 = addButton(QStringLiteral("ToolButton5"), 3, WithKey(TrQ("Programar chip"), Grabarchip1));
    addSeparator(QStringLiteral("ToolButton6"));
    ToolButton9 = addButton(QStringLiteral("ToolButton9"), 4, WithKey(TrQ("Verificar chip"), Verificar1));
    addSeparator(QStringLiteral("ToolButton10"));
    ToolButton11 = addButton(QStringLiteral("ToolButton11"), 5, TrQ("Acerca de..."));
    addSeparator(QStringLiteral("ToolButton12"));
    // Actions rather than buttons: a menu can take them as they are.
    Compararconfichero1 = ToolBar1->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                              TrQ("Comparar con fichero..."));
    Compararconfichero1->setObjectName(QStringLiteral("Compararconfichero1"));
    Compararconfichero1->setToolTip(TrQ("Compara la imagen con un fichero, sin usar el chip"));
    Detectarchip1 = ToolBar1->addAction(style()->standardIcon(QStyle::SP_DriveHDIcon), TrQ("Detectar chip"));
    Detectarchip1->setObjectName(QStringLiteral("Detectarchip1"));
    Detectarchip1->setToolTip(TrQ("Averigua que memoria hay en el zocalo, sin grabar nada en ella"));
    // Also in the Memoria menu, in the place kept for them.
    Memoria1->insertAction(N4, Compararconfichero1);
    Memoria1->insertAction(N4, Detectarchip1);

    Panel1 = MakePanel(QStringLiteral("Panel1"), ts24CXXX, false);
    Panel1->setFixedHeight(33);
    auto* chipLayout = new QHBoxLayout(Panel1);
    chipLayout->setContentsMargins(8, 4, 8, 4);
    auto* chipLabel = new QLabel(TrQ("Tipo de memoria:"), Panel1);
    cbChip = new QComboBox(Panel1);
    cbChip->setObjectName(QStringLiteral("cbChip"));
    for (const auto& chip : eeprom::ChipCatalogue)
        cbChip->addItem(FromUtf8(chip.itemText));
    cbChip->setMinimumWidth(140);
    cbChip->setFocusPolicy(Qt::StrongFocus);
    cbChip->installEventFilter(new WheelNeedsFocus(cbChip));
    chipLabel->setBuddy(cbChip);
    chipLayout->addWidget(chipLabel);
    chipLayout->addWidget(cbChip);
    chipLayout->addSpacing(24);
    lbSumas = new QLabel(Panel1);
    lbSumas->setObjectName(QStringLiteral("lbSumas"));
    lbSumas->setToolTip(TrQ("CRC-32 (el de zlib) y suma de 16 bits de la imagen"));
    lbSumas->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A fixed size, as wide as the widest sums: new sums then repaint the label alone, where a
    // label free to grow lays the whole window out again (about 1 ms on a 24C512 chip change).
    lbSumas->setFixedSize(lbSumas->fontMetrics().horizontalAdvance(QStringLiteral("CRC32 DDDDDDDD, suma 0xDDDD")) + 4,
                          lbSumas->sizeHint().height());
    chipLayout->addWidget(lbSumas);
    chipLayout->addStretch();

    gridModel_ = new HexGridModel(workspace_, this);
    SG = new HexGridView(ts24CXXX);
    SG->setObjectName(QStringLiteral("SG"));
    SG->setModel(gridModel_);
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
        PageControl1->setCurrentWidget(ts24CXXX);
        const QModelIndex cell = gridModel_->index(static_cast<int>(address / HexGridModel::BytesPerRow),
                                                   1 + static_cast<int>(address % HexGridModel::BytesPerRow));
        if (cell.isValid()) SG->setCurrentIndex(cell);
    });
    QFont gridFont(QStringLiteral("Monospace"));
    gridFont.setStyleHint(QFont::TypeWriter);
    gridFont.setFixedPitch(true);
    gridFont.setPixelSize(13);
    SG->setFont(gridFont);
    SG->horizontalHeader()->hide();
    SG->verticalHeader()->hide();
    // Fixed sizes everywhere: the view never measures its 8,192 rows one by one.
    SG->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG->verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont).height() + 6);
    SG->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG->horizontalHeader()->setMinimumSectionSize(1);
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setSelectionMode(QAbstractItemView::SingleSelection);
    SG->setSelectionBehavior(QAbstractItemView::SelectItems);
    SG->setTextElideMode(Qt::ElideNone);
    SG->setWordWrap(false);
    SG->setShowGrid(true);
    SG->setTabKeyNavigation(true);  // Tab goes between a byte's hex and character cells

    auto* pageLayout = new QVBoxLayout(ts24CXXX);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addWidget(edgeAbove);
    pageLayout->addWidget(ToolBar1);
    pageLayout->addWidget(edgeBelow);
    pageLayout->addWidget(Panel1);
    pageLayout->addWidget(SG, 1);
}

void TVentana::BuildStatusBar() {
    lbPlaca = new QLabel(this);
    lbPlaca->setObjectName(QStringLiteral("lbPlaca"));
    if (boardError_.isEmpty()) lbPlaca->setText(boardDescription_);
    else lbPlaca->setText(TrQ("%1 - sin acceso a la placa: %2").arg(boardDescription_, boardError_));
    lbEstado = new QLabel(this);
    lbEstado->setObjectName(QStringLiteral("lbEstado"));
    statusBar()->addWidget(lbEstado, 1);
    statusBar()->addPermanentWidget(lbPlaca);
}

void TVentana::LayOutGrid() {
    SG->setColumnWidth(0, 50);
    for (int column = 1; column <= HexGridModel::BytesPerRow; ++column) SG->setColumnWidth(column, 30);
    for (int column = HexGridModel::BytesPerRow + 1; column < HexGridModel::ColumnCount; ++column)
        SG->setColumnWidth(column, 12);
}

void TVentana::FormCreate() {
    // The chip last chosen, by its name; the default chip when none or an unknown one is stored.
    const QString chip = settings_.ReadString(QStringLiteral("CHIP"), QString());
    cbChip->setCurrentIndex(eeprom::ChipIndexOf(chip.toStdString()).value_or(eeprom::DefaultChipIndex));
    cbChipChange();

    OD.InitialDir = settings_.ReadString(QStringLiteral("OPEN_DIR"), QStringLiteral("."));
    SD.InitialDir = settings_.ReadString(QStringLiteral("SAVE_DIR"), QStringLiteral("."));

    // The calibration runs while DelayFactor is still 0, which BitDelay takes as 1: it always
    // measures at factor 1. Only then is the user's factor read.
    timing_.CalibrateBitDelay();
    if (timing_.HasPerformanceCounter) {
        settings_.WriteString(QStringLiteral("RELOJ_TIEMPO_REAL"), QStringLiteral("SI"));
        timing_.DelayFactor = settings_.ReadInteger(QStringLiteral("RETARDO"), 1);
        ReadFastTiming();
        return;
    }
    timing_.DelayFactor = settings_.ReadInteger(QStringLiteral("RETARDO"), 1);
    ReadFastTiming();
    settings_.WriteInteger(QStringLiteral("BASE_TIEMPO"), timing_.LoopsPerUnit);
    settings_.WriteString(QStringLiteral("DT"), QString::fromStdString(timing_.SecondsPerLoopText()));
    settings_.WriteString(QStringLiteral("RELOJ_TIEMPO_REAL"), QStringLiteral("NO"));
}

void TVentana::ReadFastTiming() {
    // Anything but "SI" is the standard timing.
    SetFastTiming(settings_.ReadString(QStringLiteral("RAPIDO"), QStringLiteral("NO")) == QStringLiteral("SI"));
}

void TVentana::SetFastTiming(bool fast) { timing_.FastTiming = fast; }

void TVentana::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    lines_.WriteBusLines(false, false, false);
    settings_.WriteInteger(QStringLiteral("RETARDO"), timing_.DelayFactor);
    settings_.WriteString(QStringLiteral("RAPIDO"), timing_.FastTiming ? QStringLiteral("SI") : QStringLiteral("NO"));
    settings_.WriteString(QStringLiteral("OPEN_DIR"), OD.RememberedName());
    settings_.WriteString(QStringLiteral("SAVE_DIR"), SD.RememberedName());
    settings_.WriteString(QStringLiteral("CHIP"), FromUtf8(workspace_.Chip().name));
}

void TVentana::ReportBoardError() { shell_.MessageBox(boardError_.toStdString(), "ERROR"); }

void TVentana::AttachProgressDialog(TformProgreso& dialog) { shell_.AttachProgressDialog(&dialog); }

void TVentana::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        PageControl1->currentWidget() == TabSheet2) {
        // "Blank-test" and "Borrar chip" are the window's cancel buttons; the first of them
        // that can take the key gets it.
        for (QPushButton* button : {btnTestBlank, btnBorrar}) {
            if (button->isVisibleTo(TabSheet2) && button->isEnabled()) {
                button->click();
                event->accept();
                return;
            }
        }
    }
    QMainWindow::keyPressEvent(event);
}

void TVentana::ConnectShellHandlers() {
    connect(Salir1, &QAction::triggered, this, &TVentana::Salir1Click);
    connect(Checkearvelcor1, &QAction::triggered, this, &TVentana::Checkearvelcor1Click);
}

void TVentana::Salir1Click() {
    // While a command drives the board (the menu is disabled then, so this is a termination
    // signal) the quit waits for it, as the close box does: quitting at once would close the
    // progress dialog under the running command and take its "Cancelar..." away. A modal dialog
    // of the command (the manual test, a message) is closed so that the command can end.
    if (commandRunning_) {
        CloseAfterCommand();
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        return;
    }
    QCoreApplication::quit();
}

void TVentana::Checkearvelcor1Click() {
    RunCommand([this] { board::CheckBoard(lines_, shell_); });
}

}  // namespace tarpel::ui
