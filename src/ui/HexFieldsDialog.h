// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A small dialog of hexadecimal fields, each with its range: "Ir a direccion" asks for one
// address, "Rellenar" for the first and last address and the byte value. "Aceptar" is enabled
// only while every field holds a number inside its range.
#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

class QLineEdit;
class QPushButton;

namespace tarpel::ui {

class HexFieldsDialog final : public QDialog {
    Q_OBJECT

public:
    struct Field {
        QString label;
        int maximum;  // from 0
        int initial;
    };

    HexFieldsDialog(const QString& title, const std::vector<Field>& fields, QWidget* parent = nullptr);

    // The value of a field, when it holds a valid one.
    std::optional<int> Value(int field) const;

    std::vector<QLineEdit*> Edits;
    QPushButton* btnAceptar;
    QPushButton* btnCancelar;

private:
    void CheckValues();

    std::vector<int> maxima_;
};

}  // namespace tarpel::ui
