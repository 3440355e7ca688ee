// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/AvrCommands.h"

#include "avr/BackupChip.h"
#include "avr/EraseChip.h"
#include "avr/IdentifyMicro.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/ReprogramFlash.h"
#include "avr/RestoreChip.h"
#include "cli/AvrConsole.h"
#include "cli/AvrProgramCommand.h"
#include "cli/BackupOption.h"
#include "cli/CommandContext.h"
#include "shell/Translate.h"

namespace tarpel::cli {

void RegisterAvrCommands(CommandTable& table) {
    table.Add(AvrCommand("identify", Tr("identifica el micro del zocalo y muestra su tipo"), avr::IdentifyMicro));
    table.Add(AvrCommand("erase", Tr("borra la flash y la eeprom interna del micro"), avr::EraseChip));
    table.Add(WithProduction(
        WithAvrBackup(AvrFileCommand("write-flash",
                                     Tr("programa la flash con FICHERO (.hex, .bin, .srec o .elf); borrela antes"),
                                     avr::ProgramFlashFrom)),
        SerialTarget::Flash, WriteFlashRun));
    table.Add(WithProduction(WithAvrBackup(AvrFileCommand("write-eeprom",
                                                          Tr("programa la eeprom interna con FICHERO (.hex, .bin, "
                                                             ".srec o .elf)"),
                                                          avr::ProgramEepromFrom)),
                             SerialTarget::Eeprom, WriteEepromRun));
    table.Add(AvrProgramCommand());
    table.Add(WithAvrBackup(AvrFileCommand("reprogram-flash",
                                           Tr("borra el micro y programa la flash con FICHERO (.hex, .bin, .srec o .elf)"),
                                           avr::ReprogramFlashFrom)));
    table.Add(AvrFileCommand("backup",
                             Tr("guarda la flash, la eeprom interna, los fuses, los bits de bloqueo y la firma "
                                "del micro en FICHERO (.elf)"),
                             avr::BackupChipTo));
    Command restore = AvrFileCommand(
        "restore", Tr("borra el micro, le graba la copia de FICHERO (.elf de avr backup) y la comprueba"),
        avr::RestoreChipFrom);
    restore.options.push_back(
        {"force", "", Tr("contesta Si al aviso de un reloj que necesita cristal o red RC en XTAL1")});
    restore.run = [](CommandContext& context) {
        context.shell.AnswerYes(context.HasOption("force"));
        const std::string file = context.arguments.front();
        // The restore writes two memories and reads them back: no single checksum line tells it.
        return RunAvr(
            context, [&](avr::CommandFrame& frame) { return avr::RestoreChipFrom(frame, file); }, false);
    };
    table.Add(std::move(restore));
}

}  // namespace tarpel::cli
