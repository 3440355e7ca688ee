// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/CommandFrame.h"

#include <cstdio>

#include "shell/Fill.h"
#include "shell/Progress.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view LockedMessage =
    TrNoop("El Atmel esta protegido contra lectura/escritura (Recibido ID=00 01 02)");
constexpr std::string_view UnknownMessage = TrNoop("ID de chip desconocido...");

}  // namespace

std::string AtAddress(std::string_view message, int address) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(address));
    return shell::Fill(TrText(message), {digits});
}

// Every box below waits for the user with the device unpowered: the lines go off first.
bool CommandFrame::IdentifyDevice() {
    if (!EnterProgrammingMode()) return false;
    kind_ = DeviceKind::AT90S8515;
    const link::AvrSignature signature = link_.ReadSignature();
    if (const DeviceType* device = FindDevice(signature)) {
        view_.SetDeviceCaption(device->caption);
        kind_ = device->kind;
        lastIdentification_ = Identification::Known;
        return true;
    }
    link_.AllLinesOff();
    if (signature == LockedSignature) {
        shell_.MessageBox(LockedMessage, ErrorCaption);
        lastIdentification_ = Identification::Locked;
        return false;
    }
    // Working on an unknown part as an AT90S8515 would judge a chip of another size by the
    // wrong table: a blank test or a verify could pass on a 32 KB part. Only an erase, which
    // reads no signature, may go on (a locked part may answer a wrong one).
    shell_.MessageBox(UnknownMessage, ErrorCaption);
    lastIdentification_ = Identification::Unknown;
    return false;
}

bool CommandFrame::EnterProgrammingMode() {
    if (link_.EnterProgrammingMode()) return true;
    shell_.SetCursor(shell::CursorShape::Default);
    link_.AllLinesOff();
    if (link_.StopRequested()) {
        lastIdentification_ = Identification::Stopped;
        return false;
    }
    lastIdentification_ = Identification::NoAnswer;
    shell_.MessageBox(NoDeviceMessage, ErrorCaption);
    return false;
}

bool CommandFrame::StopBeforeWriting() {
    if (!shell_.StopAsked()) return false;
    StopCommand();
    return true;
}

void CommandFrame::NoteWritten(std::string_view what) {
    if (!written_.empty()) written_ += ", ";
    written_ += what;
}

CommandOutcome CommandFrame::StoppedOutcome() {
    if (link_.Lines().PortFailed()) return CommandOutcome::Failed;
    // "Cancelled" alone would let the user think the device is as it was.
    if (!written_.empty()) shell_.Report(shell::Fill(TrText(CancelledAfterWritesMessage), {written_}));
    return CommandOutcome::Cancelled;
}

void CommandFrame::StopCommand() {
    shell_.SetCursor(shell::CursorShape::Default);
    link_.AllLinesOff();
}

bool CommandFrame::ShowProgress(shell::Gauge gauge, int done, int total) {
    shell_.SetGauge(gauge, shell::ProgressPercent(done, total));
    shell_.ProcessMessages();
    // The AVR commands show no progress dialog, but they heed its cancel flag all the same. A
    // board that has stopped working is no cancel, but nothing after it would reach the device.
    return shell_.ProgressCancelRequested() || link_.Lines().PortFailed();
}

}  // namespace tarpel::avr
