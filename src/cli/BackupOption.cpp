// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/BackupOption.h"

#include <utility>
#include <vector>

#include "avr/BackupChip.h"
#include "cli/AvrConsole.h"
#include "cli/CommandContext.h"
#include "cli/SameFile.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

Command WithBackup(Command command, BackupStep backup, std::string help) {
    command.options.push_back({"backup", Tr("FICHERO"), std::move(help)});
    command.run = [run = std::move(command.run), readFirst = std::move(backup)](CommandContext& context) {
        const auto copy = context.Option("backup");
        if (!copy) return run(context);
        std::vector<std::string> read = context.arguments;
        if (const auto from = context.Option("from")) read.push_back(*from);
        for (const auto& file : read) {
            if (SameFile(*copy, file)) {
                context.shell.MessageBox(
                    shell::Fill(Tr("--backup no puede ser un fichero que lee la orden: %1"), {*copy}), "ERROR");
                return ExitUsage;
            }
        }
        if (readFirst(context, *copy) != ExitSuccess) {
            context.shell.MessageBox(Tr("No se ha grabado nada: no se ha podido hacer la copia de seguridad"),
                                     "ERROR");
            return ExitFailure;
        }
        return run(context);
    };
    return command;
}

Command WithAvrBackup(Command command) {
    return WithBackup(
        std::move(command),
        [](CommandContext& context, const std::string& file) {
            return RunAvr(context, [&](avr::CommandFrame& frame) { return avr::BackupChipTo(frame, file); });
        },
        Tr("antes de grabar nada guarda el micro entero en FICHERO (.elf, como avr backup); si la copia falla no "
           "se graba nada"));
}

}  // namespace tarpel::cli
