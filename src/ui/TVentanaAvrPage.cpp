// SPDX-License-Identifier: GPL-2.0-or-later
// Builds the AVR page and lays it out: the reading and programming columns on the right, the
// device type and the fuse panel on the left, the gauges along the bottom.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <string_view>
#include <type_traits>

#include "avr/FuseLists.h"
#include "avr/LockMode.h"
#include "ui/TGauge.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"
#include "ui/WindowParts.h"

namespace tarpel::ui {

namespace {

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
    panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* layout = new QVBoxLayout(panel);
    constexpr int margin = 4;
    layout->setContentsMargins(margin, 8, margin, 8);
    // The width as a least width of the layout, not of the panel: a panel's own minimum would
    // override what its captions need, and a small window would cut "Verificar eeprom interna...".
    layout->addStrut(width - 2 * (margin + panel->frameWidth()));
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

QCheckBox* MakeCheck(const QString& name, const QString& caption, QWidget* parent) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name);
    return check;
}

}  // namespace

void TVentana::BuildAvrPage() {
    AvrPage& page = avrPage;
    page.TabSheet2 = new QWidget;
    page.TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(page.TabSheet2, QStringLiteral("AT8515/MEGA8515/AT4414"));
    const QStyle* look = style();
    const QIcon readIcon = IL[2];
    const QIcon programIcon = IL[3];
    const QIcon verifyIcon = IL[4];

    // Right-most: reading.
    page.Panel3 = MakePanel(QStringLiteral("Panel3"), page.TabSheet2, true);
    QVBoxLayout* readLayout = MakeButtonColumn(page.Panel3, 175, TrQ("LECTURA"));
    page.btnTestBlank = MakeButton(QStringLiteral("btnTestBlank"), QStringLiteral("Blank-test"),
                                   look->standardIcon(QStyle::SP_DialogResetButton), page.Panel3,
                                   TrQ("Comprueba que la flash y la eeprom esten vacios..."));
    page.btnLeerFlash = MakeButton(QStringLiteral("btnLeerFlash"), TrQ("Leer flash..."), readIcon, page.Panel3);
    page.btnLeerEEPInt =
        MakeButton(QStringLiteral("btnLeerEEPInt"), TrQ("Leer eeprom interna..."), readIcon, page.Panel3);
    page.btnFLashVerif = MakeButton(QStringLiteral("btnFLashVerif"), TrQ("Verificar flash..."), verifyIcon, page.Panel3,
                                    TrQ("Compara el contenido de un archivo con la flash..."));
    page.btnEEPInt = MakeButton(QStringLiteral("btnEEPInt"), TrQ("Verificar eeprom interna..."), verifyIcon,
                                page.Panel3, TrQ("Compara el contenido de un archivo con la eeprom interna..."));
    page.btnCopiaSeguridad =
        MakeButton(QStringLiteral("btnCopiaSeguridad"), TrQ("Copia de seguridad..."), readIcon, page.Panel3,
                   TrQ("Guarda la flash, la eeprom interna, los fuses, los bits de bloqueo y la firma del micro "
                       "en un fichero ELF..."));
    for (QPushButton* button : {page.btnTestBlank, page.btnLeerFlash, page.btnLeerEEPInt, page.btnFLashVerif,
                                page.btnEEPInt, page.btnCopiaSeguridad})
        readLayout->addWidget(button);
    readLayout->addStretch();

    // Left of it: programming.
    page.Panel4 = MakePanel(QStringLiteral("Panel4"), page.TabSheet2, true);
    QVBoxLayout* programLayout = MakeButtonColumn(page.Panel4, 184, TrQ("PROGRAMACION"));
    page.btnBorrar =
        MakeButton(QStringLiteral("btnBorrar"), TrQ("Borrar chip"), look->standardIcon(QStyle::SP_TrashIcon),
                   page.Panel4, TrQ("Borra la flash y eeprom del chip"));
    page.btnProgFlash = MakeButton(QStringLiteral("btnProgFlash"), TrQ("Programar flash..."), programIcon, page.Panel4);
    page.BitBtn1 = MakeButton(QStringLiteral("BitBtn1"), TrQ("Programar eeprom int..."), programIcon, page.Panel4);
    page.BitBtn2 = MakeButton(QStringLiteral("BitBtn2"), TrQ("Reprogramar flash..."), programIcon, page.Panel4);
    page.BitBtn2->setVisible(false);  // its command exists but is not offered
    page.btnRestaurarCopia =
        MakeButton(QStringLiteral("btnRestaurarCopia"), TrQ("Restaurar copia..."), programIcon, page.Panel4,
                   TrQ("Borra el micro y le graba una copia de seguridad ELF, con sus fuses..."));
    page.btnProduccion = MakeButton(QStringLiteral("btnProduccion"), TrQ("Produccion..."), programIcon, page.Panel4,
                                    TrQ("Graba un chip tras otro con el mismo fichero, cada uno con su numero de "
                                        "serie, y los anota en un registro..."));
    for (QPushButton* button : {page.btnBorrar, page.btnProgFlash, page.BitBtn1, page.BitBtn2, page.btnRestaurarCopia,
                                page.btnProduccion})
        programLayout->addWidget(button);
    programLayout->addStretch();

    // The remaining left area: the device type and, at its bottom, the fuse panel.
    page.Panel5 = MakePanel(QStringLiteral("Panel5"), page.TabSheet2, false);
    auto* deviceLayout = new QVBoxLayout(page.Panel5);
    deviceLayout->setContentsMargins(8, 8, 8, 0);
    deviceLayout->addWidget(new QLabel(TrQ("Tipo de micro:"), page.Panel5));
    page.lbTipo = new QLabel(QStringLiteral("??"), page.Panel5);
    page.lbTipo->setObjectName(QStringLiteral("lbTipo"));
    {
        QPalette palette = page.lbTipo->palette();
        palette.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
        page.lbTipo->setPalette(palette);
        QFont font = page.lbTipo->font();
        font.setBold(true);
        page.lbTipo->setFont(font);
    }
    deviceLayout->addWidget(page.lbTipo);
    page.btnTipo =
        MakeButton(QStringLiteral("btnTipo"), TrQ("Identificar micro"),
                   look->standardIcon(QStyle::SP_MessageBoxQuestion), page.Panel5, TrQ("Checkear tipo de atmel..."));
    page.btnTipo->setFixedWidth(150);
    deviceLayout->addWidget(page.btnTipo);
    deviceLayout->addStretch();

    // The lock box: the three modes in the datasheets' words, and its own "Leer" and "Grabar".
    page.Panel7 = MakePanel(QStringLiteral("Panel7"), page.Panel5, true);
    auto* lockLayout = new QGridLayout(page.Panel7);
    lockLayout->setContentsMargins(8, 6, 8, 6);
    lockLayout->setVerticalSpacing(4);
    lockLayout->addWidget(MakeHeading(TrQ("BITS DE BLOQUEO"), page.Panel7), 0, 0, 1, 4);
    QStringList lockCaptions;
    for (const auto& row : avr::LockModes) lockCaptions << TrQ(row.caption.data());
    page.cbLock = MakeList(QStringLiteral("cbLock"), lockCaptions, page.Panel7);
    page.cbLock->setCurrentIndex(0);
    // The longest mode is wider than the column at the window's restored size: the closed list
    // may cut it, its drop-down shows it whole.
    page.cbLock->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    page.cbLock->setMinimumContentsLength(24);
    page.cbLock->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    page.btnLeerLock = MakeButton(QStringLiteral("btnLeerLock"), TrQ("Leer"), readIcon, page.Panel7);
    page.btnGrabarLock = MakeButton(QStringLiteral("btnGrabarLock"), TrQ("Grabar"), programIcon, page.Panel7);
    lockLayout->addWidget(page.cbLock, 1, 0, 1, 4);
    lockLayout->addWidget(page.btnLeerLock, 2, 0);
    lockLayout->addWidget(page.btnGrabarLock, 2, 1);
    lockLayout->setColumnStretch(3, 1);
    deviceLayout->addWidget(page.Panel7);
    deviceLayout->addSpacing(4);

    page.Panel6 = MakePanel(QStringLiteral("Panel6"), page.Panel5, true);
    page.Panel6->setFixedHeight(170);
    auto* fuseLayout = new QGridLayout(page.Panel6);
    fuseLayout->setContentsMargins(8, 6, 8, 6);
    fuseLayout->setVerticalSpacing(4);
    fuseLayout->addWidget(MakeHeading(QStringLiteral("FLASH FUSES (MEGA)"), page.Panel6), 0, 0, 1, 4);
    // The lists and check boxes come from the panel's own table, in its order.
    const std::pair<QComboBox**, QString> lists[] = {{&page.cbXTAL, QStringLiteral("cbXTAL")},
                                                     {&page.cbSUT, QStringLiteral("cbSUT")},
                                                     {&page.cbBootSize, QStringLiteral("cbBootSize")}};
    static_assert(std::extent_v<decltype(lists)> == avr::FusePanelLists.size());
    for (int row = 0; row < static_cast<int>(std::size(lists)); ++row) {
        const avr::FusePanelList& items = avr::FusePanelLists[static_cast<std::size_t>(row)];
        QStringList captions;
        for (const std::string_view caption : items.captions) captions << FromUtf8(caption);
        QComboBox* list = MakeList(lists[row].second, captions, page.Panel6);
        *lists[row].first = list;
        auto* label = new QLabel(TrQ(items.label.data()), page.Panel6);
        label->setBuddy(list);
        list->setMinimumWidth(110);
        fuseLayout->addWidget(label, 1 + row, 0);
        fuseLayout->addWidget(list, 1 + row, 1);
        page.fuseListsAndBoxes.insert(page.fuseListsAndBoxes.end(), {label, list});
    }
    const std::pair<QCheckBox**, QString> checks[] = {
        {&page.cbBODEN, QStringLiteral("cbBODEN")},   {&page.cbBODLev, QStringLiteral("cbBODLev")},
        {&page.cbS8515, QStringLiteral("cbS8515")},   {&page.cbWDTON, QStringLiteral("cbWDTON")},
        {&page.cbSPIEN, QStringLiteral("cbSPIEN")},   {&page.cbCKOPT, QStringLiteral("cbCKOPT")},
        {&page.cbEESAVE, QStringLiteral("cbEESAVE")}, {&page.cbBOOTRST, QStringLiteral("cbBOOTRST")}};
    static_assert(std::extent_v<decltype(checks)> == avr::FusePanelBoxes.size());
    for (int i = 0; i < static_cast<int>(std::size(checks)); ++i) {
        QCheckBox* check = MakeCheck(checks[i].second,
                                     TrQ(avr::FusePanelBoxes[static_cast<std::size_t>(i)].caption.data()), page.Panel6);
        *checks[i].first = check;
        fuseLayout->addWidget(check, 1 + i % 4, 2 + i / 4);
        page.fuseListsAndBoxes.push_back(check);
    }
    // Serial programming must stay enabled: clearing it would lock this programmer out.
    page.cbSPIEN->setChecked(true);
    page.cbSPIEN->setEnabled(false);
    page.btnLeerFuses = MakeButton(QStringLiteral("btnLeerFuses"), TrQ("Leer"), readIcon, page.Panel6);
    page.btnGrabarFuses = MakeButton(QStringLiteral("btnGrabarFuses"), TrQ("Grabar"), programIcon, page.Panel6);
    auto* fuseButtons = new QHBoxLayout;
    fuseButtons->addWidget(page.btnLeerFuses);
    fuseButtons->addWidget(page.btnGrabarFuses);
    fuseButtons->addStretch();
    fuseLayout->addLayout(fuseButtons, 4, 0, 1, 2);
    fuseLayout->setColumnStretch(4, 1);
    fuseLayout->setRowStretch(5, 1);
    fuseLayout->setColumnMinimumWidth(2, 120);
    page.fuseGrid = fuseLayout;
    deviceLayout->addWidget(page.Panel6);

    // Bottom: the two gauges.
    page.Panel2 = MakePanel(QStringLiteral("Panel2"), page.TabSheet2, false);
    page.Panel2->setFixedHeight(91);
    auto* gaugeLayout = new QGridLayout(page.Panel2);
    gaugeLayout->setContentsMargins(8, 8, 8, 8);
    page.prFlash = new TGauge(page.Panel2);
    page.prFlash->setObjectName(QStringLiteral("prFlash"));
    page.prEEPInt = new TGauge(page.Panel2);
    page.prEEPInt->setObjectName(QStringLiteral("prEEPInt"));
    const std::pair<QString, TGauge*> gauges[] = {{TrQ("Progreso de flash:"), page.prFlash},
                                                  {TrQ("Progreso de eeprom interna:"), page.prEEPInt}};
    int row = 0;
    for (const auto& [caption, gauge] : gauges) {
        gauge->setFixedSize(249, 25);
        gauge->SetForeColor(Qt::red);
        gaugeLayout->addWidget(new QLabel(caption, page.Panel2), row, 0);
        gaugeLayout->addWidget(gauge, row, 1);
        ++row;
    }
    gaugeLayout->setColumnStretch(2, 1);

    auto* upper = new QHBoxLayout;
    upper->setSpacing(0);
    upper->addWidget(page.Panel5, 1);
    upper->addWidget(page.Panel4);
    upper->addWidget(page.Panel3);
    auto* pageLayout = new QVBoxLayout(page.TabSheet2);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addLayout(upper, 1);
    pageLayout->addWidget(page.Panel2);

    // Tab runs as the page reads, left to right and each column top to bottom: the device, its
    // lock and fuse boxes, then the programming column, then the reading one. The columns were
    // built from the right, and Tab would follow that order.
    QWidget* const order[] = {
        page.btnTipo, page.cbLock, page.btnLeerLock, page.btnGrabarLock,
        page.cbXTAL, page.cbSUT, page.cbBootSize, page.btnLeerFuses, page.btnGrabarFuses,
        page.cbBODEN, page.cbBODLev, page.cbS8515, page.cbWDTON, page.cbSPIEN, page.cbCKOPT, page.cbEESAVE, page.cbBOOTRST,
        page.btnBorrar, page.btnProgFlash, page.BitBtn1, page.BitBtn2, page.btnRestaurarCopia, page.btnProduccion,
        page.btnTestBlank, page.btnLeerFlash, page.btnLeerEEPInt, page.btnFLashVerif, page.btnEEPInt,
        page.btnCopiaSeguridad};
    for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace tarpel::ui
