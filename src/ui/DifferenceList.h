// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The difference list: a window of its own, not modal, that opens beside the main window after a
// verification or comparison with differences and lists every differing byte (address in
// hexadecimal, both values) under a line with their count. For the 24Cxx image's differences a
// double click on a row asks for that address to be shown (the 24CXXX page's grid goes there),
// and the list closes when the image or the chip it compared changes.
#include <QDialog>

#include <cstdint>
#include <span>

#include "files/ByteDifferences.h"

class QLabel;
class QTableView;

namespace tarpel::ui {

class DifferenceListModel;

class DifferenceList final : public QDialog {
    Q_OBJECT

public:
    explicit DifferenceList(QWidget* parent = nullptr);

    // What a list compared: the 24Cxx image (with the chip or a file), or an AVR's memory with a file.
    enum class Compared { Image, AvrMemory };

    // Fills the list and shows it (raised, beside the parent window); `subject` captions it.
    void ShowDifferences(Compared compared, const QString& subject,
                         std::span<const files::ByteDifference> differences, const QString& expectedName,
                         const QString& foundName);
    // Empties the list of an open window: the comparison it showed no longer holds.
    void Clear(Compared compared, const QString& subject);
    // Empties and closes a list of the image's differences: the image it compared is gone.
    void ForgetImage();
    bool ShowsImage() const { return compared_ == Compared::Image; }

    QLabel* lbCuenta = nullptr;
    QTableView* lvDiferencias = nullptr;
    DifferenceListModel* Model() const { return model_; }

signals:
    void AddressChosen(std::uint32_t address);

private:
    void SetSubject(const QString& subject);
    void Empty();

    DifferenceListModel* model_;
    bool placed_ = false;
    Compared compared_ = Compared::Image;
};

// "1 byte distinto", "3.122 bytes distintos".
QString DifferenceCountText(std::size_t count);

}  // namespace tarpel::ui
