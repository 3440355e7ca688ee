// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/AvrProgramCommand.h"

#include <cstdio>
#include <string>

#include "avr/CommandEntry.h"
#include "avr/DeviceProgram.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "cli/AvrConsole.h"
#include "cli/CommandContext.h"
#include "files/FileKind.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

avr::ImagePatch PatchOf(const PlacedSerial& serial) { return {serial.place.address, serial.bytes}; }

std::string StepResult(shell::CommandOutcome outcome) {
    switch (outcome) {
        case shell::CommandOutcome::Done: return "ok";
        case shell::CommandOutcome::Cancelled: return Tr("cancelado");
        default: return Tr("fallo");
    }
}

// Each step on a line of its own as it ends, and all of them for the log.
class StepLines final : public avr::StepObserver {
public:
    explicit StepLines(std::ostream& out) : out_(out) {}
    void StepEnded(std::string_view step, shell::CommandOutcome outcome, double seconds) override {
        char time[32];
        std::snprintf(time, sizeof time, "%.1f s", seconds);
        out_ << "  " << step << ": " << StepResult(outcome) << " (" << time << ")\n";
        out_.flush();
        steps += (steps.empty() ? "" : " ") + std::string(step) + ":" + StepResult(outcome);
    }
    std::string steps;

private:
    std::ostream& out_;
};

// Loads what the program writes, its serial number placed; false after the box that says why not.
bool LoadProgram(CommandContext& context, const PlacedSerial* serial, avr::DeviceProgram& program) {
    const std::string& file = context.arguments.front();
    if (files::FileKindOf(file) == files::FileKind::Elf) {
        if (!avr::LoadElfProgram(context.shell, file, program, avr::ElfMemory::Flash)) return false;
    } else if (!avr::LoadImagePrograms(context.shell, file, context.Option("eeprom").value_or(""), program)) {
        return false;
    }
    if (context.HasOption("lock") && !program.lock) {
        context.shell.MessageBox(Tr("--lock: el fichero no trae seccion .lock con el modo de bloqueo"), "ERROR");
        return false;
    }
    if (!serial) return true;
    const bool flash = serial->place.memory == production::SerialMemory::Flash;
    avr::FileImage& image = flash ? program.flash : program.eeprom;
    if (avr::ApplyPatch(image, PatchOf(*serial))) return true;
    avr::ReportPatchBeyond(context.shell, PatchOf(*serial), flash ? avr::FlashImageLimits : avr::EepromImageLimits);
    return false;
}

ChipRun ProgramRun(CommandContext& context, const PlacedSerial* serial) {
    ChipRun run;
    avr::DeviceProgram program;
    if (!LoadProgram(context, serial, program)) return run;
    context.shell.AnswerYes(context.HasOption("force"));
    StepLines lines(context.out);
    run.status = RunAvr(
        context,
        [&](avr::CommandFrame& frame) {
            return avr::RunCommand(frame, [&] {
                return avr::WriteDeviceProgram(frame, program, context.HasOption("lock"),
                                               Tr("El micro no se ha programado bien"), &lines);
            });
        },
        false, &run.device);
    run.steps = lines.steps;
    return run;
}

template <shell::CommandOutcome (*Plain)(avr::CommandFrame&, const std::string&),
          shell::CommandOutcome (*Patched)(avr::CommandFrame&, const std::string&, const avr::ImagePatch&)>
ChipRun WriteRun(CommandContext& context, const PlacedSerial* serial, const char* step) {
    ChipRun run;
    const std::string file = context.arguments.front();
    run.status = RunAvr(
        context,
        [&](avr::CommandFrame& frame) { return serial ? Patched(frame, file, PatchOf(*serial)) : Plain(frame, file); },
        true, &run.device);
    run.steps = std::string(step) + ":" + (run.status == ExitSuccess ? "ok" : Tr("fallo"));
    return run;
}

int UsageError(CommandContext& context, const std::string& text) {
    context.shell.MessageBox(text, "ERROR");
    return ExitUsage;
}

}  // namespace

ChipRun WriteFlashRun(CommandContext& context, const PlacedSerial* serial) {
    return WriteRun<avr::ProgramFlashFrom, avr::ProgramFlashFrom>(context, serial, "flash");
}

ChipRun WriteEepromRun(CommandContext& context, const PlacedSerial* serial) {
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
