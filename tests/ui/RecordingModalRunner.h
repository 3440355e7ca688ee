// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A modal runner for the window tests: it never blocks. Message boxes are recorded with what
// they show and answered with OK, or with `questionAnswer` when they ask yes or no (or yes, no or
// cancel); file dialogs are recorded with their set-up and answered from
// a queue (a file name, or nullopt for Cancel); anything else is recorded and rejected.
#include <QDialog>
#include <QFileDialog>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/ModalRunner.h"

namespace tarpel::test {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QList<QAbstractButton*>::size_type buttonCount;
    bool hasOk;
    bool asksYesNo;  // "Si" and "No" buttons, "No" the default and the Esc answer
    int minimumWidth;  // what its layout needs at least, which the box's width never goes below
};

struct SeenFileDialog {
    QString title;
    QFileDialog::AcceptMode acceptMode;
    QFileDialog::FileMode fileMode;
    QStringList nameFilters;
    QString selectedNameFilter;
    QString defaultSuffix;
    QString directory;
    bool confirmsOverwrite;
};

class RecordingModalRunner final : public ui::ModalRunner {
public:
    std::vector<SeenBox> boxes;
    std::vector<SeenFileDialog> fileDialogs;
    std::deque<std::optional<QString>> fileAnswers;
    std::vector<QString> otherDialogs;  // class names
    std::function<void()> onBox;        // runs while a box is "open"
    std::function<void(QFileDialog&)> onFileDialog;  // acts in a file dialog before it is answered
    QMessageBox::StandardButton questionAnswer = QMessageBox::No;

    int Exec(QDialog& dialog) override {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            QAbstractButton* no = box->button(QMessageBox::No);
            const bool asksYesNo = box->button(QMessageBox::Yes) && no &&
                                   box->defaultButton() == no &&
                                   box->escapeButton() == no;
            boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->buttons().size(),
                             box->button(QMessageBox::Ok) != nullptr, asksYesNo,
                             box->layout()->totalMinimumSize().width()});
            if (onBox) onBox();
            const bool asksToSave = box->button(QMessageBox::Yes) && no && box->button(QMessageBox::Cancel);
            return asksYesNo || asksToSave ? questionAnswer : QMessageBox::Ok;
        }
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            fileDialogs.push_back({files->windowTitle(), files->acceptMode(), files->fileMode(), files->nameFilters(),
                                   files->selectedNameFilter(), files->defaultSuffix(),
                                   files->directory().absolutePath(),
                                   !files->testOption(QFileDialog::DontConfirmOverwrite)});
            if (onFileDialog) onFileDialog(*files);
            std::optional<QString> answer;
            if (!fileAnswers.empty()) {
                answer = fileAnswers.front();
                fileAnswers.pop_front();
            }
            if (!answer) return QDialog::Rejected;
            files->selectFile(*answer);
            return QDialog::Accepted;
        }
        otherDialogs.push_back(QString::fromLatin1(dialog.metaObject()->className()));
        return QDialog::Rejected;
    }
};

}  // namespace tarpel::test
