#pragma once
// Which kind of image file a name stands for: decided by the last three characters of the
// name alone, without regard to case ("BIN" raw binary, "HEX" Intel HEX). The dot is not
// looked at, and the content of the file never is.
#include <string>

namespace tarpel::files {

enum class FileKind { Binary, Hex, Other };

// The last three characters of fileName (UTF-8 characters, not bytes), or the whole name when
// it is shorter.
std::string FileSuffix3(const std::string& fileName);

// Binary for names ending in bin, Hex for hex (any case), Other for everything else, with
// which a command reads and writes nothing.
FileKind FileKindOf(const std::string& fileName);

}  // namespace tarpel::files
