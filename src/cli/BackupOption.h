// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "--backup FICHERO" of the console commands that write a chip: before the command writes
// anything, what it will overwrite is read into FICHERO; when that read or save fails (or is
// stopped), the command does not run and tarpel-cli ends with status 1. Adding the option to a
// command is wrapping its table entry.
#include <functional>
#include <string>

#include "cli/CommandTable.h"

namespace tarpel::cli {

// Reads what the command will overwrite into the file; the exit status of that read.
using BackupStep = std::function<int(CommandContext& context, const std::string& backupFile)>;

// The command with the option, whose help says what the copy holds. The copy may not be a
// file the command reads (an argument, or --from): it would be overwritten before being read.
Command WithBackup(Command command, BackupStep backup, std::string help);

// For the "avr" commands: the copy is the whole chip as "avr backup" saves it, an ELF file
// (flash, EEPROM, fuses, signature), since a chip erase takes the EEPROM with the flash.
Command WithAvrBackup(Command command);

}  // namespace tarpel::cli
