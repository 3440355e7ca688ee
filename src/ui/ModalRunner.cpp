#include "ui/ModalRunner.h"

#include <QDialog>

namespace tarpel::ui {

int ModalRunner::Exec(QDialog& dialog) { return dialog.exec(); }

}  // namespace tarpel::ui
