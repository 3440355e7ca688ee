// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/AvrLockCommands.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "avr/ElfRead.h"
#include "avr/LockMode.h"
#include "avr/ReadLockBits.h"
#include "avr/WriteLockBits.h"
#include "cli/AvrConsole.h"
#include "cli/BackupOption.h"
#include "cli/CommandContext.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

int ReadLockCommand(CommandContext& context) {
    return RunAvr(context, [](avr::CommandFrame& frame) { return avr::ReadLockBits(frame); });
}

// The .lock byte of an avr-gcc program, shown before the device is touched; a file without
// exactly one never reaches the board.
std::optional<std::uint8_t> LockByteFromFile(CommandContext& context, const std::string& fileName) {
    const avr::ElfReadResult elf = avr::ElfRead(fileName, avr::ElfMemory::Lock);
    std::string error = elf.error;
    if (error.empty() && elf.lock.size() != 1)
        error = shell::Fill(Tr("La seccion .lock del fichero tiene %1 bytes y el micro tiene 1!!"), {elf.lock.size()});
    if (!error.empty()) {
        context.shell.MessageBox(error, "ERROR");
        return std::nullopt;
    }
    context.out << shell::Fill(Tr("Bits de bloqueo de %1:"), {fileName}) << '\n';
    PrintLockByte(context.out, elf.lock.front());
    return elf.lock.front();
}

int WriteLockCommand(CommandContext& context) {
    const auto mode = context.Option("mode");
    const auto from = context.Option("from");
    if (mode.has_value() == from.has_value()) {
        context.shell.MessageBox(Tr("write-lock necesita --mode 1|2|3 o --from FICHERO (uno de los dos)"), "ERROR");
        return ExitUsage;
    }
    std::optional<std::uint8_t> lockByte;
    if (mode) {
        const std::optional<avr::LockMode> chosen =
            (mode->size() == 1) ? avr::LockModeNumbered((*mode)[0] - '0') : std::nullopt;
        if (!chosen) {
            context.shell.MessageBox(shell::Fill(Tr("--mode %1 no es ningun modo de bloqueo: 1, 2 o 3"), {*mode}),
                                     "ERROR");
            return ExitUsage;
        }
        lockByte = avr::LockByteOf(*chosen);
    } else {
        lockByte = LockByteFromFile(context, *from);
        if (!lockByte) return ExitFailure;
    }
    return RunAvr(context, [&](avr::CommandFrame& frame) { return avr::WriteLockBits(frame, *lockByte, false); });
}

}  // namespace

void RegisterAvrLockCommands(CommandTable& table) {
    table.Add({.group = "avr",
               .name = "read-lock",
               .summary = Tr("lee los bits de bloqueo del ATmega8515 y muestra su modo (los AT90S no dejan leerlos)"),
               .run = ReadLockCommand});
    table.Add(WithAvrBackup({.group = "avr",
               .name = "write-lock",
               .summary = Tr("graba un modo de bloqueo; solo un borrado del chip lo quita"),
               .options = {{"mode", "1|2|3",
                            Tr("1 sin bloqueo, 2 programacion deshabilitada, 3 programacion y verificacion "
                               "deshabilitadas")},
                           {"from", Tr("FICHERO"), Tr("graba el byte de la seccion .lock de FICHERO (.elf de avr-gcc)")}},
               .run = WriteLockCommand}));
}

}  // namespace tarpel::cli
