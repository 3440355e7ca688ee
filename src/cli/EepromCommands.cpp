#include "cli/EepromCommands.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <span>
#include <string>

#include "cli/CommandContext.h"
#include "cli/EepromDetectCommand.h"
#include "eeprom/ChipCommands.h"
#include "eeprom/CommandFrame.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/SaveImageFile.h"
#include "files/Checksums.h"
#include "files/FileKind.h"

namespace tarpel::cli {

namespace {

constexpr const char* DefaultChip = "24C128";  // the window program's choice at start

std::optional<int> ChipIndex(const std::string& name) {
    for (std::size_t index = 0; index < eeprom::ChipCatalogue.size(); ++index) {
        const auto& chipName = eeprom::ChipCatalogue[index].name;
        if (std::ranges::equal(chipName, name, [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
            }))
            return static_cast<int>(index);
    }
    return std::nullopt;
}

std::string ChipNames() {
    std::string names;
    for (const auto& chip : eeprom::ChipCatalogue) names += (names.empty() ? "" : ", ") + std::string(chip.name);
    return names;
}

using Step = shell::CommandOutcome (*)(eeprom::CommandFrame&, const std::string& file);

// Selects the chip and checks the file name before the chip is touched, then runs the step.
int WithWorkspace(CommandContext& context, Step step) {
    const auto index = ChipIndex(context.Option("chip").value_or(DefaultChip));
    if (!index) {
        context.shell.MessageBox("Memoria desconocida: " + *context.Option("chip") + " (use " + ChipNames() + ")",
                                 "ERROR");
        return ExitUsage;
    }
    const std::string& file = context.arguments.front();
    if (files::FileKindOf(file) == files::FileKind::Other) {
        context.shell.MessageBox("El fichero debe acabar en .hex o .bin: " + file, "ERROR");
        return ExitUsage;
    }
    eeprom::EepromWorkspace workspace;
    workspace.cbChipChange(*index);
    std::optional<files::Checksums> checksums;
    workspace.ChipContentsKnown = [&](std::span<const std::uint8_t> contents) {
        checksums = files::ChecksumsOf(contents);
    };
    eeprom::CommandFrame frame(workspace, context.lines, context.timing, context.shell);
    const int status = ExitStatus(step(frame, file));
    // A result, not a message: on standard output, once the command's messages are out.
    if (checksums) context.out << files::ChecksumText(*checksums) << '\n';
    return status;
}

shell::CommandOutcome ReadToFile(eeprom::CommandFrame& frame, const std::string& file) {
    const auto outcome = eeprom::ReadChip(frame);
    // A failed or cancelled read leaves no file: part of a chip is not a copy of it.
    if (outcome != shell::CommandOutcome::Done) return outcome;
    return eeprom::SaveImageTo(frame, file);
}

// Loads the file as the open command does; a file that could not be read is not programmed
// or compared as the all-0xFF image it leaves.
bool LoadFile(eeprom::CommandFrame& frame, const std::string& file) {
    if (eeprom::OpenImageFrom(frame, file) == shell::CommandOutcome::Done) return true;
    frame.Shell().MessageBox("No se puede leer el fichero: " + file, "ERROR");
    return false;
}

shell::CommandOutcome WriteFromFile(eeprom::CommandFrame& frame, const std::string& file) {
    if (!LoadFile(frame, file)) return shell::CommandOutcome::Failed;
    return eeprom::ProgramChip(frame);
}

shell::CommandOutcome VerifyAgainstFile(eeprom::CommandFrame& frame, const std::string& file) {
    if (!LoadFile(frame, file)) return shell::CommandOutcome::Failed;
    return eeprom::VerifyChip(frame);
}

Command EepromCommand(std::string name, std::string summary, Step step) {
    return {.group = "eeprom",
            .name = std::move(name),
            .arguments = "FICHERO",
            .summary = std::move(summary),
            .minArguments = 1,
            .maxArguments = 1,
            .options = {{"chip", "CHIP",
                         "tipo de memoria: " + ChipNames() + " (por omision " + DefaultChip + ")"}},
            .run = [step](CommandContext& context) { return WithWorkspace(context, step); }};
}

}  // namespace

void RegisterEepromCommands(CommandTable& table) {
    table.Add(EepromCommand("read", "lee la 24Cxx entera y la guarda en FICHERO (.hex o .bin)", ReadToFile));
    table.Add(EepromCommand("write", "graba en la 24Cxx el contenido de FICHERO (.hex o .bin)", WriteFromFile));
    table.Add(EepromCommand("verify", "compara la 24Cxx con el contenido de FICHERO (.hex o .bin)", VerifyAgainstFile));
    table.Add(EepromDetectCommand());
}

}  // namespace tarpel::cli
