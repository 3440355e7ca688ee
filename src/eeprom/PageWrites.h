// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The page loops of the 24Cxx commands. Writing: "Programar chip" writes every page, "Programar
// cambios" and tarpel-cli's small edits only those that differ. Reading: the pages a small edit
// touches, or the part of the chip tarpel-cli's dump shows. Each page is
// written with its retries under the progress dialog the caller has shown, the bus checked free
// before it, its start address and the gauge shown after it.
#include <cstdint>
#include <span>

#include "eeprom/CommandFrame.h"
#include "files/ByteDifferences.h"
#include "link/I2cMaster.h"

namespace tarpel::eeprom {

// Ends a command whose bus was not free before a transaction (lines off, "ERROR" box): with SDA
// held low every acknowledge would look given and every bit read 0. Always Failed.
CommandOutcome SdaHeldLow(CommandFrame& frame);

struct PageWrites {
    CommandOutcome outcome = CommandOutcome::Done;
    // Pages written, the one during which a stop was seen included.
    std::size_t written = 0;
    // One past the last byte written; 0 when none was.
    std::uint32_t end = 0;
    // The loop ended the command itself: box shown, dialog closed, lines off.
    bool ended = false;
};

// Writes `pages` (start addresses, rising) of `image` to the chip. A page the chip never
// acknowledges, or a bus found held low, closes the dialog, switches the lines off and shows its
// box (Failed); a stop asked for after a page ends the loop there with StoppedOutcome, the
// dialog still open, for the caller to tell what was written.
PageWrites WritePages(CommandFrame& frame, std::span<const std::uint8_t> image, std::span<const std::uint32_t> pages,
                      const link::EepromAddressing& addressing);

enum class PageRead { Done, Refused, Stopped };

// Reads `pages` (start addresses) of the chip into the same addresses of `chip`, one random read
// each, the bus checked free before it, a progress step after it with `label` (its %1 the last
// address read) under the dialog the caller has shown. Refused: the chip did not answer or the
// bus was held low; the box is shown, the dialog closed, the lines off. Stopped: a stop was asked
// for, the dialog still open.
PageRead ReadPages(CommandFrame& frame, std::span<std::uint8_t> chip, std::span<const std::uint32_t> pages,
                   const link::EepromAddressing& addressing, const char* label);

// A read-back after programming found `differences` (not empty) between what was written and
// the chip: the count on the status line, the first address in an "ERROR" box, and the list
// handed to whoever shows differences. Always Failed; the lines must already be off.
CommandOutcome ReadBackDiffers(CommandFrame& frame, std::span<const files::ByteDifference> differences);

}  // namespace tarpel::eeprom
