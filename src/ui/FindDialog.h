// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Buscar": the small modeless dialog of the 24CXXX page's find. It takes what to find, as
// hexadecimal bytes or as text, and asks the window for the next or previous hit; the search
// itself and moving the grid are the window's.
#include <QDialog>

#include <cstdint>
#include <optional>
#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarpel::ui {

class FindDialog final : public QDialog {
    Q_OBJECT

public:
    explicit FindDialog(QWidget* parent);

    // The bytes to find, or nothing while the field holds no valid bytes or text.
    std::optional<std::vector<std::uint8_t>> Pattern() const;

    QLineEdit* edBuscar = nullptr;
    QRadioButton* rbHex = nullptr;
    QRadioButton* rbTexto = nullptr;
    QPushButton* btnSiguiente = nullptr;
    QPushButton* btnAnterior = nullptr;
    QPushButton* btnCerrar = nullptr;

signals:
    void FindRequested(bool backwards);

private:
    void CheckPattern();
};

}  // namespace tarpel::ui
