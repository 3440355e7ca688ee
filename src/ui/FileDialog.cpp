// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include <utility>

#include "ui/ModalRunner.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

bool IsPattern(const QString& name) { return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')); }

// The ending a filter entry stands for: "bin" for "Ficheros binarios (*.bin)"; empty for none.
QString FilterSuffix(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    return pattern.match(filter).captured(1);
}

}  // namespace

FileDialog::FileDialog(Mode mode, QString title)
    : Title(std::move(title)),
      NameFilters{TrQ("Ficheros Intel HEX (*.hex)"), TrQ("Ficheros binarios (*.bin)"),
                  TrQ("Ficheros S-record (*.srec *.s19 *.s28 *.s37 *.mot)")},
      mode_(mode) {
    // An ELF program is read, by the AVR page, and never written.
    if (mode == Mode::Open) {
        elfFilter_ = TrQ("Programas ELF de avr-gcc (*.elf)");
        NameFilters << elfFilter_;
    }
}

QString FileDialog::StartFolder() const {
    if (!IsPattern(FileName)) {
        const QFileInfo last(FileName);
        if (last.absoluteDir().exists()) return last.absolutePath();
    }
    // The stored start folder is often a full file name (the last file of an earlier run):
    // open in the folder that holds it.
    const QFileInfo start(InitialDir);
    if (start.isDir()) return start.absoluteFilePath();
    if (start.absoluteDir().exists()) return start.absolutePath();
    return QDir::currentPath();
}

QString FileDialog::RememberedName() const { return IsPattern(FileName) ? InitialDir : FileName; }

bool FileDialog::Execute(QWidget* parent, ModalRunner& runner) {
    QFileDialog dialog(parent, Title);
    dialog.setAcceptMode(mode_ == Mode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(mode_ == Mode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList offered = NameFilters;
    if (!OffersElf && !elfFilter_.isEmpty()) offered.removeAll(elfFilter_);
    dialog.setNameFilters(offered);
    if (FilterIndex >= 0 && FilterIndex < NameFilters.size() && offered.contains(NameFilters[FilterIndex]))
        dialog.selectNameFilter(NameFilters[FilterIndex]);
    // A name typed without an ending takes the one of the file type chosen: "out2" with the
    // binary entry is out2.bin. The commands go by the ending alone, so a fixed ".hex" would
    // save the image as HEX under the binary entry.
    const auto suffixFor = [this](const QString& filter) {
        const QString suffix = FilterSuffix(filter);
        return suffix.isEmpty() ? DefaultExt : suffix;
    };
    dialog.setDefaultSuffix(FilterIndex > 0 && FilterIndex < NameFilters.size() ? suffixFor(NameFilters[FilterIndex])
                                                                               : DefaultExt);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &suffixFor](const QString& filter) { dialog.setDefaultSuffix(suffixFor(filter)); });
    dialog.setDirectory(StartFolder());
    if (!IsPattern(FileName)) dialog.selectFile(FileName);

    if (runner.Exec(dialog) != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return false;
    FileName = chosen.front();
    const qsizetype index = NameFilters.indexOf(dialog.selectedNameFilter());
    if (index >= 0) FilterIndex = static_cast<int>(index);
    return true;
}

}  // namespace tarpel::ui
