#pragma once
// How a chip command ended, for whoever started it: the window ignores it (the command has
// already told the user), tarpel-cli turns it into its exit status.

namespace tarpel::eeprom {

enum class CommandOutcome {
    Done,       // the command ran to its end and found nothing wrong
    Failed,     // the chip did not answer, or the verification found a difference
    Cancelled,  // the user pressed "Cancelar..."
};

}  // namespace tarpel::eeprom
