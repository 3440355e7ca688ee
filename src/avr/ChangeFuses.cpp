// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ChangeFuses.h"

#include <functional>
#include <string>

#include "avr/CommandEntry.h"
#include "avr/FileImage.h"
#include "avr/FuseDevice.h"
#include "avr/FuseMapping.h"

namespace tarpel::avr {

namespace {

// Reads the bytes, writes and reads back those `wanted` makes of them when they differ.
CommandOutcome UpdateFuses(CommandFrame& frame, const std::function<FuseBytes(FuseBytes)>& wanted,
                           FuseUpdate& update) {
    const FuseBytes before = ReadDeviceFuses(frame.Link(), DeviceFuseLayout(frame));
    update.before = before;
    const FuseBytes after = wanted(before);
    if (after == before) {
        frame.StopCommand();
        update.after = before;
        return CommandOutcome::Done;
    }
    // Only a clock the user changes is asked about: the one the device runs on answered already.
    const bool newClock = (after.low & fusebits::Cksel) != (before.low & fusebits::Cksel);
    if (newClock && !ConfirmClock(frame, after.low)) return CommandOutcome::Cancelled;
    if (frame.StopBeforeWriting()) return frame.StoppedOutcome();
    if (!WriteCheckedFuses(frame, after, before)) return CommandOutcome::Failed;
    update.after = after;
    frame.Shell().ShowMessage(FusesWrittenMessage);
    return CommandOutcome::Done;
}

CommandOutcome WriteFromFile(CommandFrame& frame, const FuseFile& file, FuseUpdate& update) {
    // Checked here too, not only when the file was read: these bytes are written whole.
    const std::string refusal = file.error.empty() ? SpienRefusal(file.bytes) : file.error;
    if (!refusal.empty()) {
        frame.Shell().MessageBox(refusal, ErrorCaption);
        return CommandOutcome::Failed;
    }
    if (!IdentifyFuseDevice(frame, false)) return frame.StartOutcome();
    if (!CheckFileDevice(frame, file.signature)) return CommandOutcome::Failed;
    if (!CheckFuseCount(frame, file.bytes)) return CommandOutcome::Failed;
    return UpdateFuses(frame, [&file](FuseBytes) { return file.bytes; }, update);
}

// --fields: the device's own table names the fields; nothing is read before they all resolve.
CommandOutcome ChangeFields(CommandFrame& frame, const FuseChanges& changes, FuseUpdate& update) {
    if (!IdentifyFuseDevice(frame, false)) return frame.StartOutcome();
    const FuseLayout& layout = DeviceFuseLayout(frame);
    std::string refusal;
    const auto fields = ResolveFieldChanges(layout, frame.Device().caption, changes.fields, refusal);
    if (!refusal.empty()) {
        frame.StopCommand();
        frame.Shell().MessageBox(refusal, ErrorCaption);
        return CommandOutcome::Failed;
    }
    return UpdateFuses(
        frame, [&](FuseBytes before) { return ApplyFieldChanges(layout, before, fields); }, update);
}

}  // namespace

CommandOutcome ChangeFuses(CommandFrame& frame, const FuseChanges& changes, FuseUpdate& update) {
    return RunCommand(frame, [&] {
        if (!changes.fields.empty()) return ChangeFields(frame, changes, update);
        if (!IdentifyFuseDevice(frame)) return frame.StartOutcome();
        return UpdateFuses(frame, [&changes](FuseBytes before) { return ApplyFuseChanges(before, changes); }, update);
    });
}

CommandOutcome WriteFileFuses(CommandFrame& frame, const FuseFile& file, FuseUpdate& update) {
    return RunCommand(frame, [&] { return WriteFromFile(frame, file, update); });
}

}  // namespace tarpel::avr
