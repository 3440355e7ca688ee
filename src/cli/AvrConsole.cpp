// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/AvrConsole.h"

#include <cstdio>

#include "avr/LockMode.h"
#include "cli/DifferenceLines.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

void ConsoleDeviceView::SetDeviceCaption(std::string_view caption) {
    // The window clears its label before identifying; the console has nothing to clear.
    // A command that identifies the device at each of its steps names it once.
    if (caption != "??" && caption != caption_) out_ << shell::Fill(Tr("Tipo de micro: %1"), {caption}) << '\n';
    caption_ = caption == "??" ? std::string() : std::string(caption);
}

void ConsoleDeviceView::MemoryContentsKnown(std::span<const std::uint8_t> contents) {
    checksums_ = files::ChecksumsOf(contents);
    ofFile_ = false;
}

void ConsoleDeviceView::PaddedFileWritten(std::span<const std::uint8_t> contents) {
    checksums_ = files::ChecksumsOf(contents);
    ofFile_ = true;
}

void ConsoleDeviceView::DifferencesFound(std::string_view /*memoryName*/,
                                         std::span<const files::ByteDifference> differences) {
    differences_.assign(differences.begin(), differences.end());
}

void ConsoleDeviceView::LockBitsKnown(std::uint8_t lockByte) { PrintLockByte(out_, lockByte); }

void PrintLockByte(std::ostream& out, std::uint8_t lockByte) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", lockByte);
    const auto mode = avr::LockModeOf(lockByte);
    out << shell::Fill(Tr("Bits de bloqueo: %1"), {hex}) << '\n'
        << (mode ? TrText(avr::RowOf(*mode).caption) : std::string(Tr("LB2 programado sin LB1: ningun modo"))) << '\n';
}

int RunAvr(CommandContext& context, const std::function<shell::CommandOutcome(avr::CommandFrame&)>& run,
           bool checksums, std::string* device) {
    ConsoleDeviceView view(context.out);
    avr::CommandFrame frame(context.lines, context.timing, context.shell, view);
    const int status = ExitStatus(run(frame));
    if (device) *device = view.Caption();
    context.shell.NoteWritten(frame.Written());
    // Results, like the device type: on standard output, once the command's messages are out.
    PrintDifferences(context.out, view.Differences(), Tr("fichero"), "chip");
    if (checksums && view.Checksums() && view.ChecksumsOfFile()) {
        context.out << shell::Fill(Tr("%1 del fichero rellenado con FF (la flash no se ha borrado: donde el fichero "
                                      "no tiene datos guarda lo que tenia)"),
                                   {files::ChecksumText(*view.Checksums())})
                    << '\n';
    } else if (checksums && view.Checksums()) {
        context.out << files::ChecksumText(*view.Checksums()) << '\n';
    }
    return status;
}

Command AvrCommand(const char* name, const char* summary, shell::CommandOutcome (*run)(avr::CommandFrame&)) {
    return {.group = "avr",
            .name = name,
            .summary = summary,
            .run = [run](CommandContext& context) { return RunAvr(context, run); }};
}

Command AvrFileCommand(const char* name, const char* summary,
                       shell::CommandOutcome (*run)(avr::CommandFrame&, const std::string&)) {
    return {.group = "avr",
            .name = name,
            .arguments = Tr("FICHERO"),
            .summary = summary,
            .minArguments = 1,
            .maxArguments = 1,
            .run = [run](CommandContext& context) {
                const std::string file = context.arguments.front();
                return RunAvr(context, [&](avr::CommandFrame& frame) { return run(frame, file); });
            }};
}

}  // namespace tarpel::cli
