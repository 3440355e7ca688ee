// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The AVR's serial programming shift logic as the chip runs it: SCK and MOSI are sampled on the
// rising edges of the chip's clock only (XTAL1, or its internal RC oscillator), a level counts
// once two samples in a row agree (so SCK phases shorter than two clock cycles are lost, as on
// the chip), MOSI is shifted in on SCK's rising edge and MISO changes on its falling edge. It
// knows bits, bytes and the 4-byte frame; not what they mean, nor where its clock comes from.
#include <cstdint>

namespace tarpel::sim {

class AvrSpiSlave {
public:
    struct Step {
        bool byteDone = false;
        std::uint8_t byte = 0;
        int byteIndex = 0;  // 0..3: the position of the finished byte in the device's own frame
    };

    // The interface came alive (RESET low on a started chip): the frame starts at its first bit,
    // registers cleared. The synchroniser starts from SCK low, the level the datasheets require
    // here; an SCK already high is seen as a rising edge, as on the chip.
    void Restart();

    // SCK changed between two clock edges. True when the phase that just ended saw fewer than two
    // rising edges of the chip's clock: the chip may have lost or doubled that phase.
    bool SckChanged();

    // One rising edge of the chip's clock, with the levels SCK and MOSI have at that moment.
    Step ClockEdge(bool sck, bool mosi) {
        if (edgesInPhase_ < 2) ++edgesInPhase_;
        if (sck != lastSample_) {
            lastSample_ = sck;
            mosiAtFirstSample_ = mosi;
            return {};
        }
        if (sck == settled_) return {};
        settled_ = sck;
        return sck ? Rising() : Falling();
    }

    // The byte to shift out on MISO during the next byte, MSB first from the next falling edge.
    void LoadOutput(std::uint8_t byte) { out_ = byte; }
    bool Miso() const { return miso_; }

private:
    Step Rising();
    Step Falling();

    bool lastSample_ = false;
    bool settled_ = false;
    bool mosiAtFirstSample_ = false;
    int edgesInPhase_ = 2;
    std::uint8_t in_ = 0;
    std::uint8_t out_ = 0;
    bool miso_ = false;
    int bit_ = 0;
    int byteIndex_ = 0;
};

}  // namespace tarpel::sim
