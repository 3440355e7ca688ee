// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ReadFuses.h"

#include "avr/CommandEntry.h"
#include "avr/FuseDevice.h"
#include "avr/FuseMapping.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

CommandOutcome ReadAndShow(CommandFrame& frame, FusePanel& panel, FuseMemory& memory) {
    if (!IdentifyFuseDevice(frame, false)) return frame.StartOutcome();
    const FuseLayout& layout = DeviceFuseLayout(frame);
    const FuseBytes bytes = ReadDeviceFuses(frame.Link(), layout);
    frame.SwitchOff();
    if (layout.panelBits)
        panel.ShowSettings(SettingsFromFuses(bytes.low, bytes.high));
    else
        panel.ShowDeviceFuses(frame.Device().kind, bytes);
    memory.Remember(bytes);
    frame.Shell().SetCursor(shell::CursorShape::Default);
    frame.Shell().Report(Tr("Fusibles leidos"));
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome ReadFuses(CommandFrame& frame, FusePanel& panel, FuseMemory& memory) {
    return RunCommand(frame, [&] { return ReadAndShow(frame, panel, memory); });
}

}  // namespace tarpel::avr
