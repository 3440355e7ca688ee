// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One chip of a production run, as both programs run it: the serial number taken from the
// counter file before the chip is touched, the chip's command run with the number's bytes, the
// log's line appended, and the run's tally kept. What the chip's command is (a whole AVR, one
// memory, a 24Cxx) is the caller's.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "production/SerialNumber.h"

namespace tarpel::production {

struct RunSettings {
    std::optional<SerialPlace> place;  // no serial numbers without it
    std::string counter;               // the counter file, with `place`
    std::string log;                   // the CSV file; none when empty
    std::string file;                  // what goes into each chip, for the log
    std::string board;                 // as the status bar names it, for the log
};

// The serial number of one chip, where it goes and the bytes it takes there.
struct PlacedSerial {
    SerialPlace place;
    std::vector<std::uint8_t> bytes;
    std::uint64_t number = 0;
};

// How the chip's command went.
struct ChipResult {
    bool good = false;
    std::string device;  // the AVR identified or the 24Cxx chosen; empty when none was
    std::string steps;   // each step and its result: "borrado:ok flash:ok eeprom:fallo"
};

// How the chip went, for the run.
struct ChipVerdict {
    bool ran = false;   // false: the counter could not give a number, the chip was not touched
    bool good = false;
    std::optional<std::uint64_t> serial;
    double seconds = 0;
    std::string error;  // the counter's or the log's trouble, which ends the run
};

struct Tally {
    int good = 0;
    int failed = 0;
    std::optional<std::uint64_t> firstSerial, lastSerial;
    void Add(const ChipVerdict& verdict);
};

// "2 buenos, 1 fallidos; numeros de serie 1000 a 1002"
std::string TallyText(const Tally& tally);

// One chip. `run` runs its command with the serial given (none without a place); `now` reads
// the board's clock in seconds.
ChipVerdict RunChip(const RunSettings& settings, const std::function<ChipResult(const PlacedSerial*)>& run,
                    const std::function<double()>& now);

}  // namespace tarpel::production
