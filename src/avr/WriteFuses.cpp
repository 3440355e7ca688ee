#include "avr/WriteFuses.h"

#include <string>
#include <string_view>

#include "avr/FuseDevice.h"
#include "avr/FuseLists.h"
#include "avr/FuseMapping.h"

namespace tarpel::avr {

namespace {

// The first list without a choice, as the user is asked for it; empty when all have one.
std::string_view MissingChoice(const FuseSettings& settings) {
    if (!Selected(settings.xtalIndex, ClockOptions.size())) return "Debes seleccionar una opcion en Reloj";
    if (!Selected(settings.sutIndex, SutCaptions.size())) return "Debes seleccionar una opcion de StartUpTime (SUT)";
    if (!Selected(settings.bootSizeIndex, BootSizeCaptions.size())) return "Debes seleccionar una opcion de Boot Size";
    return {};
}

// Why a clock that needs a crystal or an RC pair is worth a second thought on this board.
std::string OscillatorQuestion(std::string_view clockCaption) {
    return "El reloj \"" + std::string(clockCaption) +
           "\" necesita un cristal o una red RC en XTAL1, y esta placa le da a XTAL1 una onda cuadrada "
           "desde el PC.\rCon ese reloj el micro puede dejar de contestar a la placa.\r\r"
           "Grabar los fuses de todas formas?";
}

}  // namespace

CommandOutcome WriteFuses(CommandFrame& frame, const FusePanel& panel, FuseMemory& memory) {
    const auto scope = frame.Begin();
    if (!scope) return CommandOutcome::Failed;
    if (!IdentifyFuseDevice(frame)) return CommandOutcome::Failed;
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
    const ClockOption& clock = ClockOptions[static_cast<std::size_t>(ClockIndexOfCksel(*low & fusebits::Cksel))];
    if (clock.needsOscillatorParts) {
        frame.Shell().SetCursor(shell::CursorShape::Default);
        if (!frame.Shell().AskYesNo(OscillatorQuestion(clock.caption), "AVISO:")) {
            frame.StopCommand();
            return CommandOutcome::Cancelled;
        }
        frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    }
    hw::AvrLink& link = frame.Link();
    link.WriteFuseLow(*low);  // each write waits out the fuse's 50 ms itself
    link.WriteFuseHigh(*high);
    frame.StopCommand();
    memory.Remember({*low, *high});
    frame.Shell().ShowMessage("Fuses grabados! Leelos para verificarlo");
    return CommandOutcome::Done;
}

}  // namespace tarpel::avr
