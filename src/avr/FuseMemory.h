// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the fuse commands remember between "Leer" and "Grabar": the fuse bytes last read from
// (or written to) the device, and whether the clock list still shows the item they were shown
// as. The clock list shows several CKSEL values as one item but writes one value per item;
// while the user has not chosen a clock item, the value read is written back unchanged.
// The window holds one next to its command frame and tells it when the user picks a clock item.
#include <cstdint>
#include <optional>

namespace tarpel::avr {

struct FuseBytes {
    FuseBytes() = default;
    FuseBytes(std::uint8_t lowByte, std::uint8_t highByte, std::optional<std::uint8_t> extendedByte = std::nullopt)
        : low(lowByte), high(highByte), extended(extendedByte) {}

    std::uint8_t low = 0;
    std::uint8_t high = 0;
    std::optional<std::uint8_t> extended;  // the ATmega162's third byte; none on the ATmega8515
    friend bool operator==(const FuseBytes&, const FuseBytes&) = default;
};

class FuseMemory {
public:
    // The device holds these bytes (just read, or just written); the clock list shows them.
    void Remember(FuseBytes bytes);
    // The user picked a clock item, even the one shown: that item's table value is written.
    void ClockChosen() { clockKept_ = false; }
    void Forget() {
        known_.reset();
        clockKept_ = false;
    }

    const std::optional<FuseBytes>& Known() const { return known_; }

    // The CKSEL value to write for the clock item chosen: the remembered one while the list
    // still shows the item it was read as, otherwise none (the table's value applies).
    std::optional<std::uint8_t> KeptCksel(int xtalIndex) const;

private:
    std::optional<FuseBytes> known_;
    bool clockKept_ = false;
};

}  // namespace tarpel::avr
