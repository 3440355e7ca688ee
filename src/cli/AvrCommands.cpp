// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/AvrCommands.h"

#include "avr/EraseChip.h"
#include "avr/IdentifyMicro.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/ReprogramFlash.h"
#include "cli/AvrConsole.h"
#include "shell/Translate.h"

namespace tarpel::cli {

void RegisterAvrCommands(CommandTable& table) {
    table.Add(AvrCommand("identify", Tr("identifica el micro del zocalo y muestra su tipo"), avr::IdentifyMicro));
    table.Add(AvrCommand("erase", Tr("borra la flash y la eeprom interna del micro"), avr::EraseChip));
    table.Add(AvrFileCommand("write-flash",
                             Tr("programa la flash con FICHERO (.hex, .bin, .srec o .elf); borrela antes"),
                             avr::ProgramFlashFrom));
    table.Add(AvrFileCommand("write-eeprom", Tr("programa la eeprom interna con FICHERO (.hex, .bin, .srec o .elf)"),
                             avr::ProgramEepromFrom));
    table.Add(AvrFileCommand("reprogram-flash",
                             Tr("borra el micro y programa la flash con FICHERO (.hex, .bin, .srec o .elf)"),
                             avr::ReprogramFlashFrom));
}

}  // namespace tarpel::cli
