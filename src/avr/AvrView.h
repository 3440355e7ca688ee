#pragma once
// What the AVR commands show outside message boxes and gauges: the device caption under
// "Tipo de micro:" (lbTipo). The window implements it with its label, tarpel-cli by printing.
// tarpel-cli also hears of the memory contents a command came to know, to print checksums.

#include <cstdint>
#include <span>
#include <string_view>

namespace tarpel::avr {

class AvrView {
public:
    virtual ~AvrView() = default;
    virtual void SetDeviceCaption(std::string_view caption) = 0;
    // The whole memory a command works on, as the device holds it: just read in full (read,
    // verify) or just written in full (program). Nothing to show for the window.
    virtual void MemoryContentsKnown(std::span<const std::uint8_t> /*contents*/) {}
};

}  // namespace tarpel::avr
