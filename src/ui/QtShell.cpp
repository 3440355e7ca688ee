// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/QtShell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "shell/Translate.h"
#include "ui/FileDialog.h"
#include "ui/ModalRunner.h"
#include "ui/TGauge.h"
#include "ui/TrQ.h"
#include "ui/TformProgreso.h"
#include "ui/TrQ.h"
#include "ui/WindowParts.h"
#include "ui/WindowTitles.h"

namespace tarpel::ui {

namespace {

// Qt's text routines (a new label for every byte) can leave the upper halves of the x86 vector
// registers in use, and until they are cleared every SSE instruction that follows pays for it:
// on the simulated board the bit timing's busy-wait ran three times slower in the window than
// under a shell that does nothing, 2 us more per byte of a read. Clearing them once per pass
// of the message loop costs a nanosecond.
#if defined(__x86_64__)
[[gnu::target("avx")]] void ClearUpperVectorHalves() { _mm256_zeroupper(); }

void LeaveVectorRegistersClean() {
    static const bool hasAvx = (__builtin_cpu_init(), __builtin_cpu_supports("avx"));
    if (hasAvx) ClearUpperVectorHalves();
}
#else
void LeaveVectorRegistersClean() {}
#endif

// Window managers size a message box by its contents and cut a caption longer than they are
// ("ERROR EN LA COMPROBACION" over a short text): the box is made at least as wide as its caption.
void WidenForCaption(QMessageBox& box) {
    const int width = WidthForTitle(box.windowTitle(), box.font());
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

// A line that fits a box a little wider than Qt's own wrapping width is kept whole: Qt would
// break it near its end and leave a word or two on a line of their own (".mot)!!").
constexpr int WholeLineLimit = 680;

void KeepShortLinesWhole(QMessageBox& box) {
    const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label) return;
    int widest = 0;
    for (const QString& line : box.text().split(QLatin1Char('\n')))
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    if (widest > WholeLineLimit) return;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(widest + label->margin() * 2 + 24, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

QString MessageText(std::string_view text) {
    QString result = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (text.find('\r') == std::string_view::npos) return result;  // a progress label, 65,536 times a read
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

QtShell::QtShell(QWidget* parent, ModalRunner& runner, FileDialog& openDialog, FileDialog& saveDialog,
                 RepaintPacer::Now now)
    : parent_(parent),
      runner_(runner),
      openDialog_(openDialog),
      saveDialog_(saveDialog),
      elfOpenDialog_(FileDialog::Mode::Open, {}),
      elfSaveDialog_(FileDialog::Mode::Save, {}),
      progressPacer_(std::move(now)) {
    for (FileDialog* dialog : {&elfOpenDialog_, &elfSaveDialog_}) {
        dialog->NameFilters = QStringList{TrQ("Copias de seguridad ELF (*.elf)")};
        dialog->DefaultExt = QStringLiteral("elf");
        dialog->FileName = QStringLiteral("*.elf");
    }
}

void QtShell::AttachGauges(TGauge* flash, TGauge* eeprom) {
    flashGauge_ = flash;
    eepromGauge_ = eeprom;
}

void QtShell::ShowBox(std::string_view text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, MessageText(TrText(text)), QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    WidenForCaption(box);
    KeepShortLinesWhole(box);
    if (BeforeBox) BeforeBox();
    runner_.Exec(box);
}

void QtShell::MessageBox(std::string_view text, std::string_view caption) {
    ShowBox(text, MessageText(TrText(caption)));
}

void QtShell::ShowMessage(std::string_view text) { ShowBox(text, ApplicationTitle); }

bool QtShell::AskYesNo(std::string_view text, std::string_view caption) {
    // Qt's own button texts, which the program's Spanish translation of Qt turns into "Si" / "No".
    QMessageBox box(QMessageBox::NoIcon, MessageText(TrText(caption)), MessageText(TrText(text)),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    WidenForCaption(box);
    if (BeforeBox) BeforeBox();
    return runner_.Exec(box) == QMessageBox::Yes;
}

QMessageBox::StandardButton QtShell::AskYesNoCancel(std::string_view text, std::string_view caption) {
    QMessageBox box(QMessageBox::NoIcon, MessageText(TrText(caption)), MessageText(TrText(text)),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Yes)->setText(TrQ("Si"));
    box.button(QMessageBox::No)->setText(TrQ("No"));
    box.button(QMessageBox::Cancel)->setText(TrQ("Cancelar"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    WidenForCaption(box);
    if (BeforeBox) BeforeBox();
    const int answer = runner_.Exec(box);
    return answer == QMessageBox::Yes || answer == QMessageBox::No ? static_cast<QMessageBox::StandardButton>(answer)
                                                                   : QMessageBox::Cancel;
}

// The cursor is one shape for the whole program, as a variable, not a stack: setting the
// default clears every override, and setting the hourglass twice needs one reset only.
void QtShell::SetCursor(shell::CursorShape shape) {
    if (shape == shell::CursorShape::Default) {
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
        return;
    }
    if (QGuiApplication::overrideCursor()) QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
    else QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

shell::CursorShape QtShell::Cursor() const {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor ? shell::CursorShape::Hourglass : shell::CursorShape::Default;
}

void QtShell::ProcessMessages() {
    progressPacer_.Tick();
    QCoreApplication::processEvents();
    LeaveVectorRegistersClean();
}

void QtShell::ProgressSetGauge(int percent) {
    if (progress_) progress_->Progreso->SetProgress(percent);
}

void QtShell::ProgressShow() {
    if (!progress_) return;
    progress_->show();
    progress_->raise();
    progressPacer_.Start(progress_);
}

void QtShell::ProgressSetLabel(std::string_view text) {
    if (progress_) progress_->lbProg->setText(MessageText(text));
}

bool QtShell::ProgressCancelRequested() {
    return progress_ && progress_->CancelRequested();
}

void QtShell::PressCancel() {
    if (progress_) progress_->btnCancelar->click();
}

void QtShell::ClearCancel() {
    if (progress_) progress_->ClearCancel();
}

void QtShell::ProgressClose() {
    if (!progress_) return;
    progressPacer_.Stop();  // the last label and gauge reach the screen before the dialog goes
    progress_->hide();
}

void QtShell::SetGauge(shell::Gauge gauge, int percent) {
    TGauge* target = gauge == shell::Gauge::Flash ? flashGauge_ : eepromGauge_;
    if (target) target->SetProgress(percent);
}

std::optional<std::string> QtShell::ChooseOpenFile(std::string_view caption) {
    const QString ownTitle = openDialog_.Title;
    if (!caption.empty()) openDialog_.Title = MessageText(TrText(caption));
    const bool chosen = openDialog_.Execute(parent_, runner_);
    openDialog_.Title = ownTitle;
    if (!chosen) return std::nullopt;
    return QFile::encodeName(openDialog_.FileName).toStdString();
}

std::optional<std::string> QtShell::ChooseSaveFile() {
    if (!saveDialog_.Execute(parent_, runner_)) return std::nullopt;
    return QFile::encodeName(saveDialog_.FileName).toStdString();
}

std::optional<std::string> QtShell::ChooseElfFile(FileUse use, std::string_view caption) {
    FileDialog& dialog = use == FileUse::Open ? elfOpenDialog_ : elfSaveDialog_;
    FileDialog& other = use == FileUse::Open ? elfSaveDialog_ : elfOpenDialog_;
    // Until a copy has been chosen, the folder the shared dialog of the same use would open in.
    dialog.InitialDir = (use == FileUse::Open ? openDialog_ : saveDialog_).StartFolder();
    dialog.Title = MessageText(TrText(caption));
    if (!dialog.Execute(parent_, runner_)) return std::nullopt;
    // A copy just saved is the one a restore most likely wants next.
    other.FileName = dialog.FileName;
    return QFile::encodeName(dialog.FileName).toStdString();
}

std::string QtShell::LastOpenFile() const { return QFile::encodeName(openDialog_.FileName).toStdString(); }

void QtShell::Report(std::string_view what, std::string_view note) {
    report_ = CommandReport{std::string(what), std::string(note)};
}

std::optional<QtShell::CommandReport> QtShell::TakeReport() { return std::exchange(report_, std::nullopt); }

}  // namespace tarpel::ui
