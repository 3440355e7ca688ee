// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Detectar chip": a guess of the 24Cxx in the socket from what it answers, by acknowledges and
// random reads alone. It never writes to the chip and leaves the workspace (the selected chip
// and the image) as it was: the guess goes back to the caller, to be offered to the user as the
// chip-list choice, never applied on its own.
#include <cstdint>
#include <string>

#include "eeprom/CommandFrame.h"

namespace tarpel::eeprom {

enum class DetectionVerdict {
    NoAnswer,    // nothing acknowledged: an empty socket or a dead chip
    Recognised,  // one chip of the list: smallestIndex == largestIndex
    Undecided,   // a two-address-byte chip whose contents (blank, or one pattern repeated) do
                 // not tell its size: every size from smallestIndex to largestIndex fits
    Unlisted,    // the control bytes that answer fit no chip of the list
};

struct ChipDetection {
    DetectionVerdict verdict = DetectionVerdict::NoAnswer;
    // ChipCatalogue indices of the smallest and largest chip that fit; -1 when none does.
    int smallestIndex = -1;
    int largestIndex = -1;
    // The write control bytes that were acknowledged: bit k for 0xA0 + 2k.
    std::uint8_t answeringControlBytes = 0;
};

// Probes the eight control bytes 0xA0 .. 0xAE (the board grounds the address pins, so each
// 256-byte block of a one-address-byte chip, and each 64 KiB of a 128 or 256 KiB chip, answers
// on its own, and any other chip on 0xA0 only); then reads from address 0 to see where the
// contents roll over (128 or 256 bytes, or a one-byte chip's end), and for a chip that answers on
// 0xA0 alone and rolls over at neither, reads a few bytes at power-of-two offsets to see from
// where its contents repeat. Done for a recognised or undecided chip; Failed for no
// answer or an unlisted chip, after a message box that says so. Every line ends off.
CommandOutcome DetectChip(CommandFrame& frame, ChipDetection& detection);

// The guess in one line for the user: "Memoria detectada: 24C64", a range, or why there is none.
std::string DetectionText(const ChipDetection& detection);

}  // namespace tarpel::eeprom
