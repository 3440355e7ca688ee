// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/EepromCommands.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/BackupOption.h"
#include "cli/CommandContext.h"
#include "cli/DifferenceLines.h"
#include "cli/EepromEditCommands.h"
#include "cli/EepromDetectCommand.h"
#include "cli/ProductionRun.h"
#include "eeprom/ChipCommands.h"
#include "eeprom/CommandFrame.h"
#include "eeprom/CompareImageFile.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/ProgramChanges.h"
#include "eeprom/SaveImageFile.h"
#include "files/Checksums.h"
#include "files/FileKind.h"
#include "files/ImageFileMessages.h"
#include "files/OutputFile.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

constexpr const char* DefaultChip = "24C128";  // the window program's choice at start

std::string ChipNames() {
    std::string names;
    for (const auto& chip : eeprom::ChipCatalogue) names += (names.empty() ? "" : ", ") + std::string(chip.name);
    return names;
}

using Step = std::function<shell::CommandOutcome(eeprom::CommandFrame&, const std::string& file)>;

// The image file kinds the 24Cxx commands read and write; the user's message for another name.
bool CheckImageName(CommandContext& context, const std::string& file) {
    const files::FileKind kind = files::FileKindOf(file);
    if (kind != files::FileKind::Other && kind != files::FileKind::Elf) return true;
    context.shell.MessageBox(
        shell::Fill(Tr("El fichero debe acabar en .hex, .bin, .srec, .s19, .s28, .s37 o .mot: %1"), {file}), "ERROR");
    return false;
}

// --backup of "eeprom write": the chip read whole, as "eeprom read" reads it, into a file of the
// kind its name gives. Nothing is printed: the write's own results follow.
int EepromBackup(CommandContext& context, const std::string& file) {
    const auto index = SelectedChip(context);
    if (!index) return ExitUsage;
    if (!CheckImageName(context, file)) return ExitUsage;
    eeprom::EepromWorkspace workspace;
    workspace.cbChipChange(*index);
    eeprom::CommandFrame frame(workspace, context.lines, context.timing, context.shell);
    const auto outcome = eeprom::ReadChip(frame);
    if (outcome != shell::CommandOutcome::Done) return ExitStatus(outcome);
    return ExitStatus(eeprom::SaveImageTo(frame, file));
}

// Selects the chip and checks the file name before the chip is touched, then runs the step.
// `chip`, when given, receives the chip's name.
int WithWorkspace(CommandContext& context, const Step& step, std::string* chip = nullptr) {
    const auto index = SelectedChip(context);
    if (!index) return ExitUsage;
    const std::string& file = context.arguments.front();
    if (!CheckImageName(context, file)) return ExitUsage;
    eeprom::EepromWorkspace workspace;
    workspace.cbChipChange(*index);
    if (chip) *chip = workspace.Chip().name;
    std::optional<files::Checksums> checksums;
    workspace.ChipContentsKnown = [&](std::span<const std::uint8_t> contents) {
        checksums = files::ChecksumsOf(contents);
    };
    std::vector<files::ByteDifference> differences;
    workspace.DifferencesFound = [&](std::span<const files::ByteDifference> found) {
        differences.assign(found.begin(), found.end());
    };
    eeprom::CommandFrame frame(workspace, context.lines, context.timing, context.shell);
    frame.ReadBackAfterProgramming = !context.HasOption("no-verify");
    const int status = ExitStatus(step(frame, file));
    context.shell.NoteWritten(frame.Written());
    // Results, not messages: on standard output, once the command's messages are out.
    PrintDifferences(context.out, differences, Tr("fichero"), "chip");
    if (checksums) context.out << files::ChecksumText(*checksums) << '\n';
    return status;
}

shell::CommandOutcome ReadToFile(eeprom::CommandFrame& frame, const std::string& file) {
    // Nor is a whole chip read for a name that cannot take it.
    if (const std::string refusal = files::OutputRefusal(file); !refusal.empty()) {
        frame.Shell().MessageBox(refusal, files::ErrorCaption);
        return shell::CommandOutcome::Failed;
    }
    const auto outcome = eeprom::ReadChip(frame);
    // A failed or cancelled read leaves no file: part of a chip is not a copy of it.
    if (outcome != shell::CommandOutcome::Done) return outcome;
    return eeprom::SaveImageTo(frame, file);
}

// Loads the file as the open command does, which reports a file that gives no image; such a
// file is neither programmed nor compared.
bool LoadFile(eeprom::CommandFrame& frame, const std::string& file) {
    return eeprom::OpenImageFrom(frame, file) == shell::CommandOutcome::Done;
}

shell::CommandOutcome WriteFromFile(eeprom::CommandFrame& frame, const std::string& file) {
    if (!LoadFile(frame, file)) return shell::CommandOutcome::Failed;
    return eeprom::ProgramChip(frame);
}

// --keep: only the addresses the file (and the serial number) give bytes for; the rest of the
// chip stays as it is.
shell::CommandOutcome WriteKeepingFromFile(eeprom::CommandFrame& frame, const std::string& file,
                                           const files::ImagePatch& patch) {
    std::size_t pages = 0;
    return eeprom::ProgramChangesFrom(frame, file, patch, pages);
}

// "eeprom write", with --keep or without.
Step WriteStep(const CommandContext& context) {
    if (!context.HasOption("keep")) return WriteFromFile;
    return [](eeprom::CommandFrame& frame, const std::string& file) { return WriteKeepingFromFile(frame, file, {}); };
}

// A production run's chip: the file with the serial number over it.
production::ChipResult WriteChipRun(CommandContext& context, const production::PlacedSerial* serial) {
    production::ChipResult result;
    const bool keep = context.HasOption("keep");
    const Step step = [serial, keep](eeprom::CommandFrame& frame, const std::string& file) {
        if (!serial) return keep ? WriteKeepingFromFile(frame, file, {}) : WriteFromFile(frame, file);
        const files::ImagePatch patch{serial->place.address, serial->bytes};
        if (keep) return WriteKeepingFromFile(frame, file, patch);
        return eeprom::ProgramChipFrom(frame, file, patch);
    };
    result.good = WithWorkspace(context, step, &result.device) == ExitSuccess;
    result.steps = std::string("grabacion:") + (result.good ? "ok" : Tr("fallo"));
    return result;
}

shell::CommandOutcome VerifyAgainstFile(eeprom::CommandFrame& frame, const std::string& file) {
    if (!LoadFile(frame, file)) return shell::CommandOutcome::Failed;
    return eeprom::VerifyChip(frame);
}

// "Abrir fichero..." of the first file, then "Guardar fichero..." to the second, each kind by
// its name's ending (HEX, binary, S-record), on the chip's image alone: no board is needed. An
// ELF program is no source: what it holds is an AVR's, and the open command refuses it.
int Convert(CommandContext& context) {
    const auto index = SelectedChip(context);
    if (!index) return ExitUsage;
    eeprom::EepromWorkspace workspace;
    workspace.cbChipChange(*index);
    eeprom::CommandFrame frame(workspace, context.lines, context.timing, context.shell);
    if (eeprom::OpenImageFrom(frame, context.arguments[0]) != shell::CommandOutcome::Done) return ExitFailure;
    return ExitStatus(eeprom::SaveImageTo(frame, context.arguments[1]));
}

// The image of the first file against the second, both read as "Abrir fichero..." reads them;
// every differing byte printed, named after the two files. No board is needed.
int Compare(CommandContext& context) {
    const auto index = SelectedChip(context);
    if (!index) return ExitUsage;
    eeprom::EepromWorkspace workspace;
    workspace.cbChipChange(*index);
    std::vector<files::ByteDifference> differences;
    workspace.DifferencesFound = [&](std::span<const files::ByteDifference> found) {
        differences.assign(found.begin(), found.end());
    };
    eeprom::CommandFrame frame(workspace, context.lines, context.timing, context.shell);
    const std::string& first = context.arguments[0];
    const std::string& second = context.arguments[1];
    if (eeprom::OpenImageFrom(frame, first) != shell::CommandOutcome::Done) return ExitFailure;
    const int status = ExitStatus(eeprom::CompareImageWith(frame, second));
    PrintDifferences(context.out, differences, shell::FileNameText(first), shell::FileNameText(second));
    return status;
}

Command EepromCommand(std::string name, std::string summary, Step step) {
    return {.group = "eeprom",
            .name = std::move(name),
            .arguments = Tr("FICHERO"),
            .summary = std::move(summary),
            .minArguments = 1,
            .maxArguments = 1,
            .options = {ChipOption()},
            .run = [step](CommandContext& context) { return WithWorkspace(context, step); }};
}

}  // namespace

std::optional<int> SelectedChip(CommandContext& context) {
    const auto index = eeprom::ChipIndexOf(context.Option("chip").value_or(DefaultChip));
    if (!index)
        context.shell.MessageBox(
            shell::Fill(Tr("Memoria desconocida: %1 (use %2)"), {*context.Option("chip"), ChipNames()}), "ERROR");
    return index;
}

CommandOption ChipOption() {
    return {"chip", "CHIP", shell::Fill(Tr("tipo de memoria: %1 (por omision %2)"), {ChipNames(), DefaultChip})};
}

void RegisterEepromCommands(CommandTable& table) {
    table.Add(EepromCommand("read", Tr("lee la 24Cxx entera y la guarda en FICHERO (.hex, .bin o .srec)"), ReadToFile));
    Command write =
        EepromCommand("write", Tr("graba en la 24Cxx el contenido de FICHERO (.hex, .bin o .srec)"), WriteFromFile);
    write.run = [](CommandContext& context) { return WithWorkspace(context, WriteStep(context)); };
    write.options.push_back({"no-verify", "", Tr("no relee la memoria al final para compararla con lo grabado")});
    write.options.push_back({"keep", "",
                             Tr("graba solo las direcciones de las que FICHERO trae datos (y el numero de serie) y "
                                "deja el resto de la memoria como esta; solo escribe las paginas que cambian")});
    table.Add(WithProduction(WithBackup(std::move(write), EepromBackup,
                                        Tr("antes de grabar nada guarda el contenido de la 24Cxx en FICHERO (.hex, "
                                           ".bin o .srec); si la copia falla no se graba nada")),
                             SerialTarget::OneMemory, WriteChipRun));
    RegisterEepromEditCommands(table);
    table.Add(EepromCommand("verify", Tr("compara la 24Cxx con el contenido de FICHERO (.hex, .bin o .srec)"),
                            VerifyAgainstFile));
    table.Add({.group = "eeprom",
               .name = "convert",
               .arguments = Tr("ENTRADA SALIDA"),
               .summary = Tr("pasa la imagen de ENTRADA a SALIDA (.hex, .bin o .srec), sin placa"),
               .minArguments = 2,
               .maxArguments = 2,
               .options = {ChipOption()},
               .opensBoard = false,
               .run = Convert});
    table.Add({.group = "eeprom",
               .name = "compare",
               .arguments = Tr("FICHERO OTRO"),
               .summary = Tr("compara las imagenes de FICHERO y OTRO (.hex, .bin o .srec) byte a byte, sin placa"),
               .minArguments = 2,
               .maxArguments = 2,
               .options = {ChipOption()},
               .opensBoard = false,
               .run = Compare});
    table.Add(EepromDetectCommand());
}

}  // namespace tarpel::cli
