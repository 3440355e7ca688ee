// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// tarpel-cli's "avr write-fuses": reads the ATmega8515's fuse bytes, changes only the bits of
// the controls the options name, and writes and reads back the bytes that differ. Nothing is
// written when nothing changes. Devices without fuses are refused as by the panel; a new clock
// that needs a crystal or an RC pair on XTAL1 is written only after a yes to the panel's warning.
// The window's panel, which writes every control, is WriteFuses. With --fields the changes name
// the fields of a device's own table (the ATmega162's); with --from, the bytes are an avr-gcc
// program's instead.
#include <optional>

#include "avr/CommandFrame.h"
#include "avr/FuseChanges.h"
#include "avr/FuseFile.h"
#include "avr/FuseMemory.h"

namespace tarpel::avr {

struct FuseUpdate {
    std::optional<FuseBytes> before;  // as read, once the device has been read
    std::optional<FuseBytes> after;   // as read back once written, or `before` when nothing changed
};

// Done when the device holds the changed bytes (or nothing had to change); Failed when they did
// not read back or the device has no fuses; Cancelled, with nothing written, on a no to the
// clock warning.
CommandOutcome ChangeFuses(CommandFrame& frame, const FuseChanges& changes, FuseUpdate& update);

// "avr write-fuses --from": the bytes become the file's, written as above (only those that
// differ, a new clock only after a yes). Any device with fuses takes them, the ATmega162 too. A
// file refused by ReadFuseFile is refused again here before the device is touched, and a program
// built for another device (its signature, or another number of fuse bytes) once it is identified.
CommandOutcome WriteFileFuses(CommandFrame& frame, const FuseFile& file, FuseUpdate& update);

}  // namespace tarpel::avr
