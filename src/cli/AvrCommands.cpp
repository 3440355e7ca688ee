#include "cli/AvrCommands.h"

#include "avr/EraseChip.h"
#include "avr/IdentifyMicro.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/ReprogramFlash.h"
#include "cli/AvrConsole.h"

namespace tarpel::cli {

void RegisterAvrCommands(CommandTable& table) {
    table.Add(AvrCommand("identify", "identifica el micro del zocalo y muestra su tipo", avr::IdentifyMicro));
    table.Add(AvrCommand("erase", "borra la flash y la eeprom interna del micro", avr::EraseChip));
    table.Add(AvrFileCommand("write-flash", "programa la flash con FICHERO (.hex, .bin, .srec o .elf); borrela antes",
                             avr::ProgramFlashFrom));
    table.Add(AvrFileCommand("write-eeprom", "programa la eeprom interna con FICHERO (.hex, .bin, .srec o .elf)",
                             avr::ProgramEepromFrom));
    table.Add(AvrFileCommand("reprogram-flash", "borra el micro y programa la flash con FICHERO (.hex, .bin, .srec o .elf)",
                             avr::ReprogramFlashFrom));
}

}  // namespace tarpel::cli
