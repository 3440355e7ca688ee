// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ModalRunner.h"

#include <QDialog>

namespace tarpel::ui {

int ModalRunner::Exec(QDialog& dialog) { return dialog.exec(); }

}  // namespace tarpel::ui
