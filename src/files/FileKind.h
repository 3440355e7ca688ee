// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Which kind of image file a name stands for: decided by the end of the name alone, without
// regard to case ("BIN" raw binary, "HEX" Intel HEX, "SREC", "S19", "S28", "S37" or "MOT"
// Motorola S-record, "ELF" an AVR toolchain's program). The dot is not looked at, and the
// content of the file never is.
#include <string>

namespace tarpel::files {

enum class FileKind { Binary, Hex, Srec, Elf, Other };

// The last three characters of fileName (UTF-8 characters, not bytes), or the whole name when
// it is shorter.
std::string FileSuffix3(const std::string& fileName);

// The kind the name's ending gives; Other for every other ending, with which a command reads
// and writes nothing. Elf is only ever read, and only by the AVR commands.
FileKind FileKindOf(const std::string& fileName);

}  // namespace tarpel::files
