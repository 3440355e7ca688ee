// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Copia de seguridad...": the whole AVR in the socket (flash, EEPROM, fuse bytes where it has
// them, signature) saved as one ELF file in avr-gcc's layout, which "Restaurar copia..." puts
// back and avr-objcopy takes apart. Nothing is trimmed, so a restore reproduces the chip. An
// unknown or locked device is refused, and the device itself is never changed.
#include <string>
#include <string_view>

#include "avr/CommandFrame.h"

namespace tarpel::avr {

// The caption of the window's dialogs for these files.
inline constexpr std::string_view BackupSaveCaption = TrNoop("Guardar copia de seguridad del micro");
inline constexpr std::string_view BackupOpenCaption = TrNoop("Abrir copia de seguridad del micro");

// The save dialog first (ELF files); Cancelled when it is closed without a choice.
CommandOutcome BackupChip(CommandFrame& frame);

// The given file, without any dialog. A name that does not end in .elf is refused before the
// device is touched; a file that cannot be written is reported with "No se puede crear
// fichero!!" and leaves any old file as it was. Done only when the file holds the whole chip.
CommandOutcome BackupChipTo(CommandFrame& frame, const std::string& fileName);

}  // namespace tarpel::avr
