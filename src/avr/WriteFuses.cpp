// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/WriteFuses.h"

#include <string_view>

#include "avr/CommandEntry.h"
#include "avr/FuseDevice.h"
#include "avr/FuseLists.h"
#include "avr/FuseMapping.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

// The first list without a choice, as the user is asked for it; empty when all have one.
std::string_view MissingChoice(const FuseSettings& settings) {
    if (!Selected(settings.xtalIndex, ClockOptions.size())) return Tr("Debes seleccionar una opcion en Reloj");
    if (!Selected(settings.sutIndex, SutCaptions.size()))
        return Tr("Debes seleccionar una opcion de StartUpTime (SUT)");
    if (!Selected(settings.bootSizeIndex, BootSizeCaptions.size()))
        return Tr("Debes seleccionar una opcion de Boot Size");
    return {};
}

// The panel's fields were read from another device than the one in the socket (or it shows the
// lists and boxes of the ATmega8515 to another device): its bits would be that device's.
CommandOutcome RefuseOtherDevice(CommandFrame& frame, DeviceKind shown) {
    frame.StopCommand();
    frame.Shell().MessageBox(shell::Fill(Tr("El panel muestra los fuses de un %1 y el micro del zocalo es un %2: lea "
                                            "sus fuses antes de grabarlos!!"),
                                         {DeviceOf(shown).caption, frame.Device().caption}),
                             ErrorCaption);
    return CommandOutcome::Failed;
}

// Every field as the panel shows it, SPIEN programmed whatever it shows.
CommandOutcome WriteShownFields(CommandFrame& frame, const FusePanel::DeviceFuses& shown, FuseMemory& memory) {
    const FuseBytes bytes = KeepingProgrammerIn(DeviceFuseLayout(frame), shown.bytes);
    if (!ConfirmClock(frame, bytes.low)) return CommandOutcome::Cancelled;
    if (frame.StopBeforeWriting()) return frame.StoppedOutcome();
    if (!WriteCheckedFuses(frame, bytes)) {
        memory.Forget();
        return CommandOutcome::Failed;
    }
    memory.Remember(bytes);
    frame.Shell().Report(Tr("Fusibles grabados"));
    frame.Shell().ShowMessage(FusesWrittenMessage);
    return CommandOutcome::Done;
}

CommandOutcome WriteChosenFuses(CommandFrame& frame, const FusePanel& panel, FuseMemory& memory) {
    if (!IdentifyFuseDevice(frame, false)) return frame.StartOutcome();
    const DeviceKind device = frame.Device().kind;
    const auto shown = panel.ShownDeviceFuses();
    if (!DeviceFuseLayout(frame).panelBits) {
        if (!shown || shown->kind != device) return RefuseOtherDevice(frame, shown ? shown->kind : DeviceKind::ATmega8515);
        return WriteShownFields(frame, *shown, memory);
    }
    if (shown) return RefuseOtherDevice(frame, shown->kind);
    const FuseSettings settings = panel.Settings();
    if (const std::string_view missing = MissingChoice(settings); !missing.empty()) {
        frame.StopCommand();
        frame.Shell().ShowMessage(missing);
        return CommandOutcome::Failed;
    }
    // The clock list shows CKSEL 5-8 as one item and 10-15 as another; an untouched list must
    // not turn, say, CKSEL 7 into 5 behind the user's back.
    const auto low = FuseLowFromSettings(settings, memory.KeptCksel(settings.xtalIndex));
    const auto high = FuseHighFromSettings(settings);
    if (!ConfirmClock(frame, *low)) return CommandOutcome::Cancelled;
    if (frame.StopBeforeWriting()) return frame.StoppedOutcome();
    if (!WriteCheckedFuses(frame, {*low, *high})) {
        memory.Forget();  // the device holds neither what was read nor what was meant
        return CommandOutcome::Failed;
    }
    memory.Remember({*low, *high});
    frame.Shell().Report(Tr("Fusibles grabados"));
    frame.Shell().ShowMessage(FusesWrittenMessage);
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome WriteFuses(CommandFrame& frame, const FusePanel& panel, FuseMemory& memory) {
    return RunCommand(frame, [&] { return WriteChosenFuses(frame, panel, memory); });
}

}  // namespace tarpel::avr
