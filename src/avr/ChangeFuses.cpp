#include "avr/ChangeFuses.h"

#include "avr/FuseDevice.h"
#include "avr/FuseMapping.h"

namespace tarpel::avr {

CommandOutcome ChangeFuses(CommandFrame& frame, const FuseChanges& changes, FuseUpdate& update) {
    const auto scope = frame.Begin();
    if (!scope) return CommandOutcome::Failed;
    if (!IdentifyFuseDevice(frame)) return CommandOutcome::Failed;
    hw::AvrLink& link = frame.Link();
    const FuseBytes before{link.ReadFuseLow(), link.ReadFuseHigh()};
    update.before = before;
    const FuseBytes wanted = ApplyFuseChanges(before, changes);
    if (wanted == before) {
        frame.StopCommand();
        update.after = before;
        return CommandOutcome::Done;
    }
    // Only a clock the user changes is asked about: the one the device runs on answered already.
    const bool newClock = (wanted.low & fusebits::Cksel) != (before.low & fusebits::Cksel);
    if (newClock && !ConfirmClock(frame, wanted.low)) return CommandOutcome::Cancelled;
    if (!WriteCheckedFuses(frame, wanted, before)) return CommandOutcome::Failed;
    update.after = wanted;
    frame.Shell().ShowMessage(FusesWrittenMessage);
    return CommandOutcome::Done;
}

}  // namespace tarpel::avr
