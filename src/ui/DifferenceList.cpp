// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/DifferenceList.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "shell/ReportText.h"
#include "ui/DifferenceListModel.h"
#include "ui/TrQ.h"
#include "ui/WindowParts.h"

namespace tarpel::ui {

QString DifferenceCountText(std::size_t count) {
    return (count == 1 ? TrQ("%1 byte distinto") : TrQ("%1 bytes distintos"))
        .arg(QString::fromStdString(shell::CountText(count)));
}

DifferenceList::DifferenceList(QWidget* parent)
    : QDialog(parent, Qt::Tool), model_(new DifferenceListModel(this)) {
    setObjectName(QStringLiteral("DifferenceList"));
    setModal(false);
    lbCuenta = new QLabel(this);
    lbCuenta->setObjectName(QStringLiteral("lbCuenta"));
    lvDiferencias = new QTableView(this);
    lvDiferencias->setObjectName(QStringLiteral("lvDiferencias"));
    lvDiferencias->setModel(model_);
    lvDiferencias->verticalHeader()->hide();
    lvDiferencias->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvDiferencias->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    lvDiferencias->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    lvDiferencias->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvDiferencias->setSelectionMode(QAbstractItemView::SingleSelection);
    lvDiferencias->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbCuenta);
    layout->addWidget(lvDiferencias, 1);
    resize(300, 420);
    connect(lvDiferencias, &QTableView::activated, this,
            [this](const QModelIndex& index) {
                // An AVR memory's address is not a place in the 24Cxx image.
                if (compared_ == Compared::Image) emit AddressChosen(model_->Difference(index.row()).address);
            });
}

void DifferenceList::SetSubject(const QString& subject) {
    setWindowTitle(TrQ("Diferencias: %1").arg(subject));
    // The title names the file or chip: the window is wide enough to show it, up to a width
    // that leaves the grid in view beside it.
    constexpr int widest = 640;
    if (const int needed = std::min(WidthForTitle(windowTitle(), font()), widest); width() < needed)
        resize(needed, height());
}

void DifferenceList::ShowDifferences(Compared compared, const QString& subject,
                                     std::span<const files::ByteDifference> differences, const QString& expectedName,
                                     const QString& foundName) {
    compared_ = compared;
    SetSubject(subject);
    model_->SetDifferences(differences, expectedName, foundName);
    lbCuenta->setText(DifferenceCountText(differences.size()));
    if (!placed_ && parentWidget()) {
        // Beside the grid, over the blank right part of the main window, the first time only:
        // where the user moves it afterwards is where it stays.
        const QRect owner = parentWidget()->frameGeometry();
        move(owner.left() + std::max(owner.width() / 2, 460), owner.top() + 90);
        placed_ = true;
    }
    show();
    raise();
}

void DifferenceList::Clear(Compared compared, const QString& subject) {
    compared_ = compared;
    SetSubject(subject);
    Empty();
}

void DifferenceList::Empty() {
    model_->SetDifferences({}, model_->headerData(1, Qt::Horizontal).toString(),
                           model_->headerData(2, Qt::Horizontal).toString());
    lbCuenta->setText(DifferenceCountText(0));
}

void DifferenceList::ForgetImage() {
    if (compared_ != Compared::Image) return;
    Empty();
    hide();
}

}  // namespace tarpel::ui
