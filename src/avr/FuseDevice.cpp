// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/FuseDevice.h"

#include <cstdio>
#include <string>

#include "avr/FuseLists.h"
#include "avr/FuseMapping.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

// Why a clock that needs a crystal or an RC pair is worth a second thought on this board.
std::string OscillatorQuestion(std::string_view clockCaption) {
    return shell::Fill(Tr("El reloj \"%1\" necesita un cristal o una red RC en XTAL1, y esta placa le da a XTAL1 una "
                          "onda cuadrada desde el PC.\rCon ese reloj el micro puede dejar de contestar a la placa.\r\r"
                          "Grabar los fuses de todas formas?"),
                       {clockCaption});
}

}  // namespace

bool IdentifyFuseDevice(CommandFrame& frame, bool panelBits) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return false;
    }
    const FuseLayout* layout = FuseLayoutOf(frame.Device().kind);
    if (!layout) {
        frame.StopCommand();
        frame.Shell().ShowMessage(FusesRefusedMessage);
        return false;
    }
    if (panelBits && !layout->panelBits) {
        frame.StopCommand();
        frame.Shell().MessageBox(shell::Fill(Tr(PanelFusesOnlyMessage.data()), {frame.Device().caption}), ErrorCaption);
        return false;
    }
    return true;
}

const FuseLayout& DeviceFuseLayout(CommandFrame& frame) { return *FuseLayoutOf(frame.Device().kind); }

bool CheckFuseCount(CommandFrame& frame, const FuseBytes& bytes) {
    const int count = bytes.extended ? 3 : 2;
    const int deviceCount = DeviceFuseLayout(frame).byteCount;
    if (count == deviceCount) return true;
    frame.StopCommand();
    frame.Shell().MessageBox(shell::Fill(Tr("La seccion .fuse del fichero tiene %1 bytes y el %2 tiene %3!!"),
                                         {count, frame.Device().caption, deviceCount}),
                             ErrorCaption);
    return false;
}

bool ConfirmClock(CommandFrame& frame, std::uint8_t cksel) {
    const ClockSource clock = ClockSourceOf(DeviceFuseLayout(frame), cksel);
    if (!clock.needsOscillatorParts) return true;
    frame.Shell().SetCursor(shell::CursorShape::Default);
    if (!frame.Shell().AskYesNo(OscillatorQuestion(Tr(clock.caption.data())), Tr("AVISO:"))) {
        frame.StopCommand();
        return false;
    }
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    return true;
}

bool WriteCheckedFuses(CommandFrame& frame, FuseBytes bytes, std::optional<FuseBytes> current) {
    link::AvrLink& link = frame.Link();
    // Each write waits out the fuse's 50 ms itself.
    if (!current || current->low != bytes.low) link.WriteFuseLow(bytes.low);
    if (!current || current->high != bytes.high) link.WriteFuseHigh(bytes.high);
    if (bytes.extended && (!current || current->extended != bytes.extended)) link.WriteFuseExtended(*bytes.extended);
    // The bytes are one step: a stop that comes between them waits for the rest, so that the
    // device is never left with half a setting.
    frame.NoteWritten(shell::Fill(Tr("fuses grabados (%1)"), {FuseBytesText(bytes)}));
    const FuseBytes read = ReadDeviceFuses(link, DeviceFuseLayout(frame));
    frame.StopCommand();
    if (read == bytes) return true;
    frame.Shell().MessageBox(
        shell::Fill(Tr("Los fuses leidos no coinciden con los grabados!!\rGrabados: %1\rLeidos: %2"),
                    {FuseBytesText(bytes), FuseBytesText(read)}),
        ErrorCaption);
    return false;
}

}  // namespace tarpel::avr
