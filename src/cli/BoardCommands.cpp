// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/BoardCommands.h"

#include "cli/CommandContext.h"
#include "board/CheckBoard.h"
#include "shell/Translate.h"

namespace tarpel::cli {

void RegisterBoardCommands(CommandTable& table) {
    table.Add({.group = "board",
               .name = "check",
               .summary = Tr("prueba la placa: el retorno de SDA debe seguir a SDA"),
               .run = [](CommandContext& context) {
                   // Which board answered (or did not): a USB adapter by its kind and serial number.
                   context.out << context.board.description << '\n';
                   return board::CheckBoard(context.lines, context.shell) ? ExitSuccess : ExitFailure;
               }});
}

}  // namespace tarpel::cli
