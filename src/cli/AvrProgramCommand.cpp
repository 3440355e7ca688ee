// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/AvrProgramCommand.h"

#include <cstdio>
#include <string>

#include "avr/CommandEntry.h"
#include "avr/DeviceProgram.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/StepRecord.h"
#include "cli/AvrConsole.h"
#include "cli/CommandContext.h"
#include "files/FileKind.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

avr::ImagePatch PatchOf(const production::PlacedSerial& serial) { return {serial.place.address, serial.bytes}; }

// Each step on a line of its own as it ends, and all of them for the log.
class StepLines final : public avr::StepRecord {
public:
    explicit StepLines(std::ostream& out) : out_(out) {}
    void StepEnded(std::string_view step, shell::CommandOutcome outcome, double seconds) override {
        char time[32];
        std::snprintf(time, sizeof time, "%.1f s", seconds);
        out_ << "  " << step << ": " << avr::StepResultText(outcome) << " (" << time << ")\n";
        out_.flush();
        StepRecord::StepEnded(step, outcome, seconds);
    }

private:
    std::ostream& out_;
};

production::ChipResult ProgramRun(CommandContext& context, const production::PlacedSerial* serial) {
    avr::ProgramRequest request{context.arguments.front(), context.Option("eeprom").value_or(""),
                                context.HasOption("lock"), std::nullopt, std::nullopt};
    if (serial) (serial->place.memory == production::SerialMemory::Flash ? request.flashPatch
                                                                          : request.eepromPatch) = PatchOf(*serial);
    context.shell.AnswerYes(context.HasOption("force"));
    StepLines lines(context.out);
    production::ChipResult result;
    result.good = RunAvr(
                      context, [&](avr::CommandFrame& frame) { return avr::ProgramDeviceFrom(frame, request, &lines); },
                      false, &result.device) == ExitSuccess;
    result.steps = lines.Steps();
    return result;
}

template <shell::CommandOutcome (*Plain)(avr::CommandFrame&, const std::string&),
          shell::CommandOutcome (*Patched)(avr::CommandFrame&, const std::string&, const avr::ImagePatch&)>
production::ChipResult WriteRun(CommandContext& context, const production::PlacedSerial* serial, const char* step) {
    production::ChipResult result;
    const std::string file = context.arguments.front();
    result.good = RunAvr(
                      context,
                      [&](avr::CommandFrame& frame) {
                          return serial ? Patched(frame, file, PatchOf(*serial)) : Plain(frame, file);
                      },
                      true, &result.device) == ExitSuccess;
    result.steps = std::string(step) + ":" + (result.good ? "ok" : Tr("fallo"));
    return result;
}

int UsageError(CommandContext& context, const std::string& text) {
    context.shell.MessageBox(text, "ERROR");
    return ExitUsage;
}

}  // namespace

production::ChipResult WriteFlashRun(CommandContext& context, const production::PlacedSerial* serial) {
    return WriteRun<avr::ProgramFlashFrom, avr::ProgramFlashFrom>(context, serial, "flash");
}

production::ChipResult WriteEepromRun(CommandContext& context, const production::PlacedSerial* serial) {
    return WriteRun<avr::ProgramEepromFrom, avr::ProgramEepromFrom>(context, serial, "eeprom");
}

Command AvrProgramCommand() {
    Command program{
        .group = "avr",
        .name = "program",
        .arguments = Tr("FICHERO"),
        .summary = Tr("comprueba la firma, borra el micro y le graba flash, eeprom interna y fuses de FICHERO (.elf, "
                      "o .hex, .bin o .srec para la flash), lo verifica todo y, con --lock, lo bloquea"),
        .minArguments = 1,
        .maxArguments = 1,
        .options = {{"eeprom", Tr("FICHERO"), Tr("la eeprom interna de un programa que no es .elf (.hex, .bin o .srec)")},
                    {"lock", "", Tr("al final graba el modo de bloqueo de la seccion .lock, tras verificarlo todo")},
                    {"force", "", Tr("contesta Si al aviso de un reloj que necesita cristal o red RC en XTAL1")}},
        .run = {}};
    Command command = WithProduction(std::move(program), SerialTarget::Both, ProgramRun, true);
    const CommandFunction run = command.run;
    command.run = [run](CommandContext& context) {
        const std::string& file = context.arguments.front();
        if (files::FileKindOf(file) == files::FileKind::Elf && context.HasOption("eeprom"))
            return UsageError(context, Tr("--eeprom no va con un .elf: la eeprom interna sale de su seccion .eeprom"));
        return run(context);
    };
    return command;
}

}  // namespace tarpel::cli
