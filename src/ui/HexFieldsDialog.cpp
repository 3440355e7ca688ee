// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/HexFieldsDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

int HexDigitsFor(int maximum) { return std::max(2, static_cast<int>(QString::number(maximum, 16).size())); }

}  // namespace

HexFieldsDialog::HexFieldsDialog(const QString& title, const std::vector<Field>& fields, QWidget* parent)
    : QDialog(parent),
      btnAceptar(new QPushButton(TrQ("Aceptar"), this)),
      btnCancelar(new QPushButton(TrQ("Cancelar"), this)) {
    setWindowTitle(title);
    auto* form = new QFormLayout;
    for (const Field& field : fields) {
        const int digits = HexDigitsFor(field.maximum);
        const QString initial = QStringLiteral("%1").arg(field.initial, digits, 16, QLatin1Char('0')).toUpper();
        auto* edit = new QLineEdit(initial, this);
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9A-Fa-f]{1,%1}").arg(digits)), edit));
        edit->setMaxLength(digits);
        connect(edit, &QLineEdit::textChanged, this, &HexFieldsDialog::CheckValues);
        form->addRow(field.label, edit);
        Edits.push_back(edit);
        maxima_.push_back(field.maximum);
    }
    btnAceptar->setDefault(true);
    connect(btnAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAceptar);
    buttons->addWidget(btnCancelar);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    // The buttons were made first, so Tab would start on them: typing goes to the first field,
    // its text selected so that the first digit replaces it, and Tab runs down the fields.
    QWidget* previous = nullptr;
    for (QWidget* next : Edits) {
        if (previous) setTabOrder(previous, next);
        previous = next;
    }
    if (previous) {
        setTabOrder(previous, btnAceptar);
        setTabOrder(btnAceptar, btnCancelar);
    }
    if (!Edits.empty()) {
        Edits.front()->setFocus();
        Edits.front()->selectAll();
    }
    CheckValues();
}

std::optional<int> HexFieldsDialog::Value(int field) const {
    if (field < 0 || field >= static_cast<int>(Edits.size())) return std::nullopt;
    bool ok = false;
    const int value = Edits[static_cast<std::size_t>(field)]->text().toInt(&ok, 16);
    if (!ok || value < 0 || value > maxima_[static_cast<std::size_t>(field)]) return std::nullopt;
    return value;
}

void HexFieldsDialog::CheckValues() {
    bool valid = true;
    for (int field = 0; field < static_cast<int>(Edits.size()); ++field) valid &= Value(field).has_value();
    btnAceptar->setEnabled(valid);
}

}  // namespace tarpel::ui
