#pragma once
// The 24Cxx save command: the first ChipSize bytes of the memory image go to a HEX or binary
// file. It neither reads the chip nor changes the image or the grid.
#include <string>

#include "eeprom/EepromWorkspace.h"
#include "shell/Shell.h"

namespace tarpel::eeprom {

// Asks for a file name with the save dialog and saves; a cancelled dialog writes nothing.
void SaveImageFile(EepromWorkspace& workspace, shell::Shell& shell);

// Saves the image as fileName, binary or HEX by the name's ending; a name of neither kind
// writes nothing. A file that cannot be created or written whole is reported with
// "No se puede crear fichero!!" and leaves any old file as it was. True when the file was
// written.
bool SaveImageTo(EepromWorkspace& workspace, shell::Shell& shell, const std::string& fileName);

}  // namespace tarpel::eeprom
