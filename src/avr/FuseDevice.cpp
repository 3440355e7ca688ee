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

std::string FuseText(FuseBytes bytes) {
    char text[40];
    std::snprintf(text, sizeof text, "FuseLow $%02X FuseHigh $%02X", bytes.low, bytes.high);
    return text;
}

}  // namespace

bool IdentifyFuseDevice(CommandFrame& frame) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return false;
    }
    if (!frame.Device().fusesAllowed) {
        frame.StopCommand();
        frame.Shell().ShowMessage(FusesRefusedMessage);
        return false;
    }
    return true;
}

bool ConfirmClock(CommandFrame& frame, std::uint8_t cksel) {
    const ClockOption& clock = ClockOptions[static_cast<std::size_t>(ClockIndexOfCksel(cksel & fusebits::Cksel))];
    if (!clock.needsOscillatorParts) return true;
    frame.Shell().SetCursor(shell::CursorShape::Default);
    if (!frame.Shell().AskYesNo(OscillatorQuestion(clock.caption), Tr("AVISO:"))) {
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
    // Both bytes are one step: a stop that comes between them waits for the second, so that the
    // device is never left with half a setting.
    frame.NoteWritten(shell::Fill(Tr("fuses grabados (%1)"), {FuseText(bytes)}));
    const FuseBytes read{link.ReadFuseLow(), link.ReadFuseHigh()};
    frame.StopCommand();
    if (read == bytes) return true;
    frame.Shell().MessageBox(
        shell::Fill(Tr("Los fuses leidos no coinciden con los grabados!!\rGrabados: %1\rLeidos: %2"),
                    {FuseText(bytes), FuseText(read)}),
        ErrorCaption);
    return false;
}

}  // namespace tarpel::avr
