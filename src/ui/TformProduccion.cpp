// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TformProduccion.h"

#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/Shell.h"
#include "ui/SettingsStore.h"
#include "ui/TrQ.h"

namespace tarpel::ui {
namespace {

QLabel* LargeLabel(int pixels, QWidget* parent) {
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setPixelSize(pixels);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// Only "Grabar chip" takes Enter: a browse button with the focus must not open its dialog.
QPushButton* BrowseButton(QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setAutoDefault(false);
    button->setFixedWidth(32);
    return button;
}

std::string FileText(const QLineEdit* field) { return QFile::encodeName(field->text().trimmed()).toStdString(); }

void SetColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QString YesNo(bool value) { return value ? QStringLiteral("SI") : QStringLiteral("NO"); }

}  // namespace

TformProduccion::TformProduccion(const Page& page, const Window& window, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      edFichero(new QLineEdit(this)),
      btnFichero(BrowseButton(this)),
      lbEeprom(new QLabel(TrQ("Eeprom (si no es .elf):"), this)),
      edEeprom(new QLineEdit(this)),
      btnEeprom(BrowseButton(this)),
      cbBloquear(new QCheckBox(TrQ("Bloquear al final (seccion .lock)"), this)),
      cbSerie(new QCheckBox(TrQ("Numero de serie"), this)),
      edSitio(new QLineEdit(this)),
      edContador(new QLineEdit(this)),
      btnContador(BrowseButton(this)),
      edRegistro(new QLineEdit(this)),
      btnRegistro(BrowseButton(this)),
      lbBuenos(LargeLabel(22, this)),
      lbFallidos(LargeLabel(22, this)),
      lbVeredicto(LargeLabel(64, this)),
      lbDetalle(new QLabel(this)),
      btnGrabar(new QPushButton(TrQ("Grabar chip"), this)),
      btnCerrar(new QPushButton(TrQ("Cerrar"), this)),
      page_(page),
      window_(window) {
    setWindowTitle(TrQ("Produccion"));
    setModal(true);

    auto* fields = new QGridLayout;
    int row = 0;
    const auto addFile = [&](const QString& caption, QLineEdit* field, QPushButton* browse, QLabel* label = nullptr) {
        if (!label) label = new QLabel(caption, this);
        label->setBuddy(field);
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row, 1);
        if (browse) fields->addWidget(browse, row, 2);
        ++row;
    };
    addFile(TrQ("Fichero:"), edFichero, btnFichero);
    addFile({}, edEeprom, btnEeprom, lbEeprom);
    fields->addWidget(cbBloquear, row++, 0, 1, 3);
    fields->addWidget(cbSerie, row++, 0, 1, 3);
    addFile(TrQ("Sitio:"), edSitio, nullptr);
    addFile(TrQ("Contador:"), edContador, btnContador);
    addFile(TrQ("Registro (.csv):"), edRegistro, btnRegistro);
    edSitio->setPlaceholderText(QStringLiteral("eeprom:16:4:le"));
    edSitio->setToolTip(TrQ("[eeprom:|flash:]DIRECCION[:LONGITUD][:le|be|ascii|bcd]: la eeprom interna, 4 bytes "
                            "y le si no se dice"));
    edContador->setToolTip(TrQ("Fichero de texto con el proximo numero de serie; avanza antes de tocar cada chip"));
    edRegistro->setToolTip(TrQ("Una linea por chip; vacio: sin registro"));
    for (QWidget* avrOnly : std::initializer_list<QWidget*>{lbEeprom, edEeprom, btnEeprom, cbBloquear})
        avrOnly->setVisible(page.avr);

    auto* counts = new QHBoxLayout;
    counts->addWidget(lbBuenos);
    counts->addWidget(lbFallidos);
    SetColour(lbBuenos, Qt::darkGreen);
    SetColour(lbFallidos, Qt::red);
    lbVeredicto->setMinimumHeight(80);
    lbDetalle->setAlignment(Qt::AlignCenter);

    btnGrabar->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    btnGrabar->setDefault(true);
    btnGrabar->setAutoDefault(true);
    btnGrabar->setMinimumHeight(33);
    btnCerrar->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnGrabar);
    buttons->addWidget(btnCerrar);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(counts);
    layout->addWidget(lbVeredicto);
    layout->addWidget(lbDetalle);
    layout->addLayout(buttons);
    setMinimumWidth(460);

    connect(cbSerie, &QCheckBox::toggled, this, &TformProduccion::EnableSerialFields);
    connect(btnFichero, &QPushButton::clicked, this, [this] { Browse(edFichero, TrNoop("Fichero que se graba")); });
    connect(btnEeprom, &QPushButton::clicked, this, [this] { Browse(edEeprom, TrNoop("Eeprom interna")); });
    connect(btnContador, &QPushButton::clicked, this,
            [this] { Browse(edContador, TrNoop("Contador de numeros de serie")); });
    connect(btnRegistro, &QPushButton::clicked, this, [this] { Browse(edRegistro, TrNoop("Registro de produccion")); });
    connect(btnGrabar, &QPushButton::clicked, this, &TformProduccion::btnGrabarClick);
    connect(btnCerrar, &QPushButton::clicked, this, &QDialog::accept);

    Restore();
    ShowVerdict({});
}

void TformProduccion::Browse(QLineEdit* field, const char* caption) {
    if (const auto file = window_.shell.ChooseOpenFile(caption)) field->setText(QFile::decodeName(file->c_str()));
}

std::optional<production::RunSettings> TformProduccion::ReadSettings() {
    production::RunSettings settings;
    settings.file = FileText(edFichero);
    settings.log = FileText(edRegistro);
    settings.board = window_.boardDescription;
    if (settings.file.empty()) {
        window_.shell.MessageBox(Tr("Falta el fichero que se graba en cada chip!!"), "ERROR");
        return std::nullopt;
    }
    if (cbSerie->isChecked()) {
        std::string error;
        settings.place = production::ParseSerialPlace(edSitio->text().trimmed().toStdString(), error);
        if (!settings.place) {
            window_.shell.MessageBox(error, "ERROR");
            return std::nullopt;
        }
        settings.counter = FileText(edContador);
        if (settings.counter.empty()) {
            window_.shell.MessageBox(Tr("Falta el fichero contador de donde sale el numero de serie!!"), "ERROR");
            return std::nullopt;
        }
    }
    return settings;
}

void TformProduccion::btnGrabarClick() {
    if (running_) return;
    const auto settings = ReadSettings();
    if (!settings) return;
    Store();
    const Files files{settings->file, page_.avr ? FileText(edEeprom) : std::string(),
                      page_.avr && cbBloquear->isChecked()};
    SetRunning(true);
    // The chip just programmed has been taken out and the next one put in.
    if (chipUsed_ && window_.nextChip) window_.nextChip();
    chipUsed_ = false;
    const production::ChipVerdict verdict = production::RunChip(
        *settings, [&](const production::PlacedSerial* serial) { return page_.program(files, serial); }, window_.now);
    SetRunning(false);
    if (verdict.ran) {
        chipUsed_ = true;
        tally_.Add(verdict);
        ShowVerdict(verdict);
    }
    // The counter or the log failed: the user must mend it before the next chip.
    if (!verdict.error.empty()) window_.shell.MessageBox(verdict.error, "ERROR");
}

void TformProduccion::ShowVerdict(const production::ChipVerdict& verdict) {
    lbBuenos->setText(TrQ("Buenos: %1").arg(tally_.good));
    lbFallidos->setText(TrQ("Fallidos: %1").arg(tally_.failed));
    if (!verdict.ran) {
        lbVeredicto->clear();
        lbDetalle->clear();
        return;
    }
    lbVeredicto->setText(verdict.good ? QStringLiteral("OK") : TrQ("FALLO"));
    SetColour(lbVeredicto, verdict.good ? QColor(Qt::darkGreen) : QColor(Qt::red));
    const QString time = QString::number(verdict.seconds, 'f', 1);
    lbDetalle->setText(verdict.serial ? TrQ("Numero de serie %1, %2 s").arg(QString::number(*verdict.serial), time)
                                      : QStringLiteral("%1 s").arg(time));
}

void TformProduccion::SetRunning(bool running) {
    running_ = running;
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<QPushButton*>(control) ||
            qobject_cast<QCheckBox*>(control))
            control->setEnabled(!running);
    if (!running) {
        EnableSerialFields();
        btnGrabar->setFocus();
    }
}

void TformProduccion::done(int result) {
    if (running_) return;
    Store();
    QDialog::done(result);
}

void TformProduccion::Restore() {
    SettingsStore& store = window_.settings;
    edFichero->setText(store.ReadString(Key("FICHERO"), {}));
    edEeprom->setText(store.ReadString(Key("EEPROM"), {}));
    cbBloquear->setChecked(store.ReadString(Key("BLOQUEAR"), QStringLiteral("NO")) == QStringLiteral("SI"));
    cbSerie->setChecked(store.ReadString(Key("SERIE"), QStringLiteral("NO")) == QStringLiteral("SI"));
    edSitio->setText(store.ReadString(Key("SITIO"), {}));
    edContador->setText(store.ReadString(Key("CONTADOR"), {}));
    edRegistro->setText(store.ReadString(Key("REGISTRO"), {}));
    EnableSerialFields();
}

void TformProduccion::EnableSerialFields() {
    for (QWidget* field : std::initializer_list<QWidget*>{edSitio, edContador, btnContador})
        field->setEnabled(cbSerie->isChecked());
}

void TformProduccion::Store() {
    SettingsStore& store = window_.settings;
    store.WriteString(Key("FICHERO"), edFichero->text());
    if (page_.avr) {
        store.WriteString(Key("EEPROM"), edEeprom->text());
        store.WriteString(Key("BLOQUEAR"), YesNo(cbBloquear->isChecked()));
    }
    store.WriteString(Key("SERIE"), YesNo(cbSerie->isChecked()));
    store.WriteString(Key("SITIO"), edSitio->text());
    store.WriteString(Key("CONTADOR"), edContador->text());
    store.WriteString(Key("REGISTRO"), edRegistro->text());
}

}  // namespace tarpel::ui
