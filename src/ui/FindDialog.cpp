// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/FindDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <string>

#include "eeprom/FindBytes.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent),
      edBuscar(new QLineEdit(this)),
      rbHex(new QRadioButton(TrQ("Bytes en &hexadecimal"), this)),
      rbTexto(new QRadioButton(TrQ("&Texto"), this)),
      btnSiguiente(new QPushButton(TrQ("&Siguiente"), this)),
      btnAnterior(new QPushButton(TrQ("&Anterior"), this)),
      btnCerrar(new QPushButton(TrQ("Cerrar"), this)) {
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(TrQ("Buscar"));
    edBuscar->setObjectName(QStringLiteral("edBuscar"));
    rbHex->setChecked(true);
    auto* form = new QFormLayout;
    form->addRow(TrQ("B&uscar:"), edBuscar);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(rbHex);
    kinds->addWidget(rbTexto);
    kinds->addStretch();
    form->addRow(kinds);
    btnSiguiente->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {btnAnterior, btnSiguiente, btnCerrar}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(btnSiguiente, &QPushButton::clicked, this, [this] { emit FindRequested(false); });
    connect(btnAnterior, &QPushButton::clicked, this, [this] { emit FindRequested(true); });
    connect(btnCerrar, &QPushButton::clicked, this, &QDialog::close);
    // The window's F3 and Shift+F3 do not reach a dialog of its own; here they do the same.
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, btnSiguiente, &QPushButton::click);
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, btnAnterior,
            &QPushButton::click);
    connect(edBuscar, &QLineEdit::textChanged, this, &FindDialog::CheckPattern);
    connect(rbHex, &QRadioButton::toggled, this, &FindDialog::CheckPattern);
    CheckPattern();
}

std::optional<std::vector<std::uint8_t>> FindDialog::Pattern() const {
    const QString text = edBuscar->text();
    if (rbHex->isChecked()) return eeprom::ParseHexBytes(text.toStdString());
    return eeprom::Windows1252Bytes(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                        static_cast<std::size_t>(text.size())));
}

void FindDialog::CheckPattern() {
    const bool valid = Pattern().has_value();
    btnSiguiente->setEnabled(valid);
    btnAnterior->setEnabled(valid);
}

}  // namespace tarpel::ui
