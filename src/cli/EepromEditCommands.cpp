// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/EepromEditCommands.h"

#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandContext.h"
#include "cli/EepromCommands.h"
#include "eeprom/ChipCommands.h"
#include "eeprom/CommandFrame.h"
#include "eeprom/ImageCharacter.h"
#include "eeprom/PageWrites.h"
#include "eeprom/ProgramChanges.h"
#include "shell/Fill.h"
#include "shell/NumberText.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

constexpr std::size_t DumpBytesPerLine = 16;

// The number `text` gives, or an "ERROR" message naming what it was meant to be.
std::optional<std::uint64_t> NumberOrTell(CommandContext& context, std::string_view what, const std::string& text,
                                          std::uint64_t largest = std::numeric_limits<std::uint32_t>::max()) {
    const auto value = shell::NumberOf(text);
    if (value && *value <= largest) return value;
    context.shell.MessageBox(shell::Fill(Tr("%1 no valido: %2 (de 0 a %3, en decimal o en hexadecimal con 0x)"),
                                         {what, text, largest}),
                             "ERROR");
    return std::nullopt;
}

// Refuses, with its message, a range that does not lie whole within the chip.
bool WithinChip(CommandContext& context, const eeprom::EepromWorkspace& workspace, std::uint64_t at,
                std::uint64_t count) {
    const auto size = static_cast<std::uint64_t>(workspace.ChipSize);
    if (at < size && count <= size - at) return true;
    context.shell.MessageBox(shell::Fill(Tr("Los bytes %1 a %2 caen fuera de la %3, que tiene %4 bytes!!"),
                                         {at, at + count - 1, workspace.Chip().name, size}),
                             "ERROR");
    return false;
}

// A code point as UTF-8, the console's encoding.
std::string Utf8(char32_t code) {
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
}

// One hexdump line: the address, up to 16 bytes in hex (a short last line padded, so that the
// characters stay in their column), and the bytes as the window's grid shows them, '.' where
// it shows no character.
std::string DumpLine(std::uint64_t address, std::span<const std::uint8_t> bytes, int addressDigits) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*llX:", addressDigits, static_cast<unsigned long long>(address));
    std::string line = text;
    for (std::size_t i = 0; i < DumpBytesPerLine; ++i) {
        if (i < bytes.size()) {
            std::snprintf(text, sizeof text, " %02X", bytes[i]);
            line += text;
        } else {
            line += "   ";
        }
    }
    line += "  ";
    for (const std::uint8_t byte : bytes) {
        const char32_t code = eeprom::ImageCharacter(byte);
        line += code == 0 ? std::string(".") : Utf8(code);
    }
    return line;
}

// Reads [at, at + count) of the chip into the workspace's image under the progress dialog, as
// many whole pages as it spans.
shell::CommandOutcome ReadPart(eeprom::CommandFrame& frame, std::uint32_t at, std::uint32_t count) {
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.Master().BusFree()) return eeprom::SdaHeldLow(frame);
    const auto addressing = eeprom::AddressingFor(frame.Workspace().Chip(), frame.Master().Timing().FastTiming);
    const auto pageSize = static_cast<std::uint32_t>(addressing.pageSize);
    std::vector<std::uint32_t> pages;
    for (std::uint32_t page = at / pageSize * pageSize; page < at + count; page += pageSize) pages.push_back(page);
    shell.ProgressSetGauge(0);
    shell.ProgressShow();
    const auto read = shell.ProgressCancelRequested()
                          ? eeprom::PageRead::Stopped
                          : eeprom::ReadPages(frame, frame.Workspace().ChipImage(), pages, addressing,
                                              TrNoop("%1 bytes leidos..."));
    if (read == eeprom::PageRead::Refused) return shell::CommandOutcome::Failed;
    shell.ProgressClose();
    frame.StopCommand();
    return read == eeprom::PageRead::Done ? shell::CommandOutcome::Done : frame.StoppedOutcome();
}

// "eeprom dump [--at ADDR] [--count N]": the whole chip unless told.
int Dump(CommandContext& context) {
    const auto index = SelectedChip(context);
    if (!index) return ExitUsage;
    eeprom::EepromWorkspace workspace;
    workspace.cbChipChange(*index);
    const auto size = static_cast<std::uint64_t>(workspace.ChipSize);
    const auto at = NumberOrTell(context, "ADDR", context.Option("at").value_or("0"));
    if (!at) return ExitUsage;
    const auto count = NumberOrTell(context, "N", context.Option("count").value_or(std::to_string(size - std::min(*at, size))));
    if (!count) return ExitUsage;
    if (*count == 0) return ExitSuccess;
    if (!WithinChip(context, workspace, *at, *count)) return ExitUsage;
    eeprom::CommandFrame frame(workspace, context.lines, context.timing, context.shell);
    const auto outcome = ReadPart(frame, static_cast<std::uint32_t>(*at), static_cast<std::uint32_t>(*count));
    if (outcome != shell::CommandOutcome::Done) return ExitStatus(outcome);
    const int digits = size > 0x10000 ? 5 : 4;
    const auto chip = workspace.ChipImage();
    for (std::uint64_t line = *at; line < *at + *count; line += DumpBytesPerLine) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(DumpBytesPerLine, *at + *count - line));
        context.out << DumpLine(line, chip.subspan(static_cast<std::size_t>(line), length), digits) << '\n';
    }
    return ExitSuccess;
}

// "eeprom poke ADDR BYTE...": those bytes from ADDR on, and only the pages they fall in.
int Poke(CommandContext& context) {
    const auto index = SelectedChip(context);
    if (!index) return ExitUsage;
    eeprom::EepromWorkspace workspace;
    workspace.cbChipChange(*index);
    const auto at = NumberOrTell(context, "ADDR", context.arguments.front());
    if (!at) return ExitUsage;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i < context.arguments.size(); ++i) {
        const auto value = NumberOrTell(context, "BYTE", context.arguments[i], 0xFF);
        if (!value) return ExitUsage;
        bytes.push_back(static_cast<std::uint8_t>(*value));
    }
    if (!WithinChip(context, workspace, *at, bytes.size())) return ExitUsage;
    eeprom::WantedBytes wanted(static_cast<std::size_t>(workspace.ChipSize), false);
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        workspace.MemoryImage[static_cast<std::size_t>(*at) + k] = bytes[k];
        wanted[static_cast<std::size_t>(*at) + k] = true;
    }
    eeprom::CommandFrame frame(workspace, context.lines, context.timing, context.shell);
    std::size_t pages = 0;
    const auto outcome = eeprom::ProgramChanges(frame, workspace.ChipImage(), wanted, pages);
    context.shell.NoteWritten(frame.Written());
    return ExitStatus(outcome);
}

}  // namespace

void RegisterEepromEditCommands(CommandTable& table) {
    table.Add({.group = "eeprom",
               .name = "dump",
               .summary = Tr("muestra parte de la 24Cxx (por omision toda) en hexadecimal y como caracteres, 16 "
                             "bytes por linea"),
               .options = {ChipOption(),
                           {"at", "ADDR", Tr("primera direccion que se muestra (por omision 0)")},
                           {"count", "N", Tr("cuantos bytes se muestran (por omision hasta el final)")}},
               .run = Dump});
    table.Add({.group = "eeprom",
               .name = "poke",
               .arguments = "ADDR BYTE...",
               .summary = Tr("graba los BYTE desde la direccion ADDR y solo las paginas en que caen, y las relee; el "
                             "resto de la 24Cxx queda como estaba"),
               .minArguments = 2,
               .maxArguments = std::numeric_limits<std::size_t>::max(),
               .options = {ChipOption()},
               .run = Poke});
}

}  // namespace tarpel::cli
