// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/I2cMaster.h"

#include <algorithm>
#include <deque>
#include <string>


namespace tarpel::link {

namespace {

constexpr std::uint8_t ControlWrite = 0xA0;  // device type 1010, device address 000, write
constexpr std::uint8_t ControlRead = 0xA1;

// The control byte of a transaction at this word address. The address bits above the word
// address bytes (A8..A10 of a one-byte chip, A16..A17 of a 128 or 256 KiB one) go into bits 1..3
// of the control byte, where smaller chips see their (grounded) pins.
std::uint8_t ControlByte(std::uint8_t base, std::uint32_t address, const EepromAddressing& addressing) {
    const std::uint32_t high = address >> (8 * std::clamp(addressing.wordAddressBytes, 1, 2));
    return static_cast<std::uint8_t>(base | ((high << addressing.controlAddressBit) & 0x0Eu));
}

}  // namespace

// The waits below are in delay units of 25 us (at factor 1), far above the 24Cxx's slowest
// 100 kHz figures (tLOW 4.7 us, tHIGH 4.0 us, tSU:STA 4.7 us), so every setup and hold is met.
//
// The fast timing's waveforms (the first branch of each routine) wait one unit of 5 us wherever
// the datasheets ask for a minimum, and nowhere else: SCL low for at least a unit before it rises
// (tLOW 4.7 us, with SDA set at the start of that unit: tSU:DAT 0.25 us), SCL high for a unit
// before it falls (tHIGH 4.0 us) or before SDA moves for a start or stop (tSU:STA 4.7 us,
// tSU:STO 4.0 us), and a unit after each start and stop (tHD:STA 4.0 us, tBUF 4.7 us). SDA
// moves only right after SCL has fallen: the chips need no data hold time on their input.

// A port with a pin clock of its own (the FTDI adapter) times the units itself, as repeats of
// the lines in its queue, instead of the PC waiting for them.
void I2cMaster::Wait(int units) {
    if (units > 0 && lines_.HoldLines(timing_.UnitsNanoseconds(units))) return;
    for (int unit = 0; unit < units; ++unit) timing_.BitDelay();
}

void I2cMaster::I2cStart() {
    if (timing_.FastTiming) {
        lines_.SetScl(false);
        lines_.SetSda(true);
        Wait(1);
        lines_.SetScl(true);
        Wait(1);
        lines_.SetSda(false);
        Wait(1);
        return;
    }
    lines_.SetScl(false);
    Wait(2);
    lines_.SetSda(false);
    Wait(2);
    lines_.SetSda(true);
    Wait(2);
    lines_.SetScl(true);
    Wait(2);
    lines_.SetSda(false);  // SDA falls while SCL is high: the start condition
    Wait(2);
}

void I2cMaster::I2cStop() {
    if (timing_.FastTiming) {
        lines_.SetScl(false);
        lines_.SetSda(false);
        Wait(1);
        lines_.SetScl(true);
        Wait(1);
        lines_.SetSda(true);
        Wait(1);
        return;
    }
    lines_.SetScl(false);
    Wait(2);
    lines_.SetSda(false);
    Wait(2);
    lines_.SetScl(true);
    Wait(2);
    lines_.SetSda(true);  // SDA rises while SCL is high: the stop condition
    Wait(2);
}

void I2cMaster::I2cWriteByte(std::uint8_t value) {
    const bool fast = timing_.FastTiming;
    for (int bit = 7; bit >= 0; --bit) {
        lines_.SetScl(false);
        if (!fast) Wait(1);
        lines_.SetSda(((value >> bit) & 1) != 0);
        Wait(1);
        lines_.SetScl(true);
        Wait(1);
    }
}

bool I2cMaster::I2cReadAck() { return !lines_.SdaInOf(RequestAck()); }

port::Port::Sample I2cMaster::RequestAck() {
    if (timing_.FastTiming) {
        lines_.SetScl(false);
        lines_.SetSda(true);  // released: the chip may now pull it low
        Wait(1);
        lines_.SetScl(true);
        Wait(1);
        return lines_.RequestSdaIn();
    }
    lines_.SetScl(false);
    Wait(2);
    lines_.SetSda(false);
    Wait(2);
    lines_.SetSda(true);  // released: the chip may now pull it low
    Wait(2);
    lines_.SetScl(true);
    Wait(2);
    return lines_.RequestSdaIn();
}

bool I2cMaster::AckedSoFar(port::Port::Sample ack, Samples& pending) {
    if (lines_.SampleReady(ack)) return !lines_.SdaInOf(ack);
    pending.push_back(ack);
    return true;
}

bool I2cMaster::AllAcked(Samples& pending) {
    bool all = true;
    for (const port::Port::Sample ack : pending) all = !lines_.SdaInOf(ack) && all;  // each sample is taken
    pending.clear();
    return all;
}

std::uint8_t I2cMaster::I2cReadByte() { return ByteOf(RequestByte()); }

// samples[0] is the most significant bit.
std::array<port::Port::Sample, 8> I2cMaster::RequestByte() {
    std::array<port::Port::Sample, 8> samples{};
    if (timing_.FastTiming) {
        for (port::Port::Sample& sample : samples) {
            lines_.SetScl(false);
            if (!lines_.BusLineState().sda) lines_.SetSda(true);  // released to the chip
            Wait(1);
            lines_.SetScl(true);
            Wait(1);
            sample = lines_.RequestSdaIn();
        }
        return samples;
    }
    for (port::Port::Sample& sample : samples) {
        lines_.SetScl(false);
        Wait(1);
        lines_.SetSda(false);
        Wait(1);
        lines_.SetSda(true);  // released to the chip
        lines_.SetScl(true);
        Wait(1);
        sample = lines_.RequestSdaIn();
    }
    return samples;
}

std::uint8_t I2cMaster::ByteOf(const std::array<port::Port::Sample, 8>& samples) {
    std::uint8_t value = 0;
    for (const port::Port::Sample sample : samples)
        value = static_cast<std::uint8_t>((value << 1) | (lines_.SdaInOf(sample) ? 1 : 0));
    return value;
}

void I2cMaster::MasterAck() {
    if (timing_.FastTiming) {
        lines_.SetScl(false);
        lines_.SetSda(false);
        Wait(1);
        lines_.SetScl(true);
        Wait(1);
        return;
    }
    lines_.SetScl(false);
    Wait(1);
    lines_.SetSda(false);
    Wait(1);
    lines_.SetSda(true);
    Wait(1);
    lines_.SetSda(false);
    Wait(1);
    lines_.SetScl(true);
    Wait(1);
}

void I2cMaster::MasterNack() {
    lines_.SetScl(false);
    if (!timing_.FastTiming) Wait(1);
    lines_.SetSda(true);
    Wait(timing_.FastTiming ? 1 : 3);
    lines_.SetScl(true);
    Wait(1);
}

bool I2cMaster::BusFree() {
    lines_.BusPowerUp();
    Wait(1);
    return lines_.ReadSdaIn();
}

bool I2cMaster::Refused() {
    I2cStop();
    return false;
}

bool I2cMaster::EepromReadBegin(const EepromAddressing& addressing) {
    // No settling time after switching the supply on: the start comes 9 units later.
    lines_.BusPowerUp();
    Wait(1);
    I2cStart();
    Wait(1);
    I2cWriteByte(ControlByte(ControlWrite, 0, addressing));
    if (!I2cReadAck()) return Refused();
    for (int k = 0; k < addressing.wordAddressBytes; ++k) {
        Wait(1);
        I2cWriteByte(0x00);
        if (!I2cReadAck()) return Refused();
    }
    // A repeated start without a stop keeps the address just set.
    Wait(1);
    I2cStart();
    Wait(1);
    I2cWriteByte(ControlByte(ControlRead, 0, addressing));
    if (!I2cReadAck()) return Refused();
    Wait(1);
    return true;
}

ReadAllResult I2cMaster::EepromReadAll(std::span<std::uint8_t> chip, const ReadProgress& progress,
                                       const EepromAddressing& addressing) {
    lastReadCount_ = 0;
    if (!EepromReadBegin(addressing)) return ReadAllResult::NotAcknowledged;

    const auto count = static_cast<std::int64_t>(chip.size());
    auto result = ReadAllResult::Complete;
    // One transaction: the chip's address counter walks through the whole chip. The last byte
    // read gets no acknowledge, or the chip would drive the next byte's first bit and could
    // hold SDA low through the stop.
    //
    // The master's acknowledges do not depend on the data, so on a queuing port the bytes' values
    // are taken as their samples come back, a block at a time; on a port that reads at once,
    // each byte is stored as soon as it is read.
    std::deque<std::array<port::Port::Sample, 8>> unread;
    const auto store = [&](bool all) {
        while (!unread.empty() && (all || lines_.SampleReady(unread.front().back()))) {
            chip[static_cast<std::size_t>(lastReadCount_++)] = ByteOf(unread.front());
            unread.pop_front();
        }
    };
    for (std::int64_t i = 0; i < count; ++i) {
        unread.push_back(RequestByte());
        store(false);
        const bool cancelled = !progress(i, count);
        if (cancelled) result = ReadAllResult::Cancelled;
        if (cancelled || i + 1 == count) {
            MasterNack();
            break;
        }
        MasterAck();
    }
    I2cStop();
    lines_.WriteBusLines(false, false, false);  // which sends the queue: the last values are in
    store(true);
    return result;
}

bool I2cMaster::EepromWritePage(std::span<const std::uint8_t> memoryImage, std::uint32_t start,
                                const EepromAddressing& addressing) {
    lines_.BusPowerUp();
    I2cStart();
    I2cWriteByte(ControlByte(ControlWrite, start, addressing));
    if (!I2cReadAck()) return Refused();
    return WritePageAfterControl(memoryImage, start, addressing);
}

bool I2cMaster::WritePageAfterControl(std::span<const std::uint8_t> memoryImage, std::uint32_t start,
                                      const EepromAddressing& addressing) {
    // On a queuing port the acknowledges are judged in three batches: the control byte's before
    // anything more goes out (a busy chip refuses it, and the bus sees just that and a stop), the
    // address bytes' before any data (data must never reach a wrong address), the data bytes'
    // after the stop; a missing one fails the page either way.
    Samples pending;
    if (addressing.wordAddressBytes != 1) {
        I2cWriteByte(static_cast<std::uint8_t>((start >> 8) & 0xFF));
        if (!AckedSoFar(RequestAck(), pending)) return Refused();
    }
    I2cWriteByte(static_cast<std::uint8_t>(start & 0xFF));
    if (!AckedSoFar(RequestAck(), pending) || !AllAcked(pending)) return Refused();

    // A page that would pass the end of the address space (or of the image) sends no data.
    const std::size_t end = std::size_t{start} + static_cast<std::size_t>(std::max(addressing.pageSize, 0));
    if (end <= addressing.addressSpace && end <= memoryImage.size()) {
        for (std::size_t index = start; index < end; ++index) {
            I2cWriteByte(memoryImage[index]);
            if (!AckedSoFar(RequestAck(), pending)) return Refused();
        }
    }
    I2cStop();
    return AllAcked(pending);
}

bool I2cMaster::ProgramPageWithRetry(std::span<const std::uint8_t> memoryImage, std::uint32_t start,
                                     const EepromAddressing& addressing) {
    // A chip still busy with the previous page's write cycle refuses its control byte, so the
    // attempts themselves are the polling; there is no other wait for the chip.
    //
    // The fast timing polls instead: each page's control byte goes out until the chip, done with
    // the previous page's write cycle, acknowledges it, and the address and data follow at once.
    // An acknowledged control byte is never followed by a stop, which some chips take for the
    // start of a write cycle that writes their last page again.
    for (int attempt = 0; attempt < PageWriteAttempts; ++attempt) {
        if (timing_.FastTiming) {
            if (!StartWhenReady(ControlByte(ControlWrite, start, addressing))) return false;
            if (WritePageAfterControl(memoryImage, start, addressing)) return true;
            continue;
        }
        if (EepromWritePage(memoryImage, start, addressing)) {
            WaitMilliseconds(WriteCycleWaitMs);
            return true;
        }
    }
    return false;
}

bool I2cMaster::StartWhenReady(std::uint8_t controlByte) {
    port::Clock& clock = timing_.clock();
    const std::uint32_t start = clock.GetTickCount();
    // At least one poll, however late the tick count moves on.
    do {
        lines_.BusPowerUp();
        I2cStart();
        I2cWriteByte(controlByte);
        if (I2cReadAck()) return true;
        I2cStop();
    } while (static_cast<std::uint32_t>(clock.GetTickCount() - start) < WriteCycleTimeoutMs);
    return false;
}

bool I2cMaster::EepromWaitReady(const EepromAddressing& addressing) {
    if (timing_.FastTiming) {
        // Once acknowledged, the poll becomes a read of one byte at address 0, which ends with a
        // stop that no chip takes for a write.
        if (!StartWhenReady(ControlByte(ControlWrite, 0, addressing))) return false;
        if (addressing.wordAddressBytes != 1) {
            I2cWriteByte(0x00);
            if (!I2cReadAck()) return Refused();
        }
        I2cWriteByte(0x00);
        if (!I2cReadAck()) return Refused();
        I2cStart();
        I2cWriteByte(ControlByte(ControlRead, 0, addressing));
        if (!I2cReadAck()) return Refused();
        I2cReadByte();
        MasterNack();
        I2cStop();
        return true;
    }
    for (int attempt = 0; attempt < PageWriteAttempts; ++attempt) {
        lines_.BusPowerUp();
        I2cStart();
        I2cWriteByte(ControlWrite);
        const bool acknowledged = I2cReadAck();
        I2cStop();
        if (acknowledged) return true;
    }
    return false;
}

bool I2cMaster::ControlByteAcknowledged(std::uint8_t controlByte) {
    lines_.BusPowerUp();
    I2cStart();
    I2cWriteByte(controlByte);
    const bool acknowledged = I2cReadAck();
    I2cStop();
    return acknowledged;
}

bool I2cMaster::EepromReadAt(std::uint32_t address, std::span<std::uint8_t> bytes,
                             const EepromAddressing& addressing) {
    lines_.BusPowerUp();
    Wait(1);
    I2cStart();
    Wait(1);
    I2cWriteByte(ControlByte(ControlWrite, address, addressing));
    if (!I2cReadAck()) return Refused();
    if (addressing.wordAddressBytes != 1) {
        I2cWriteByte(static_cast<std::uint8_t>((address >> 8) & 0xFF));
        if (!I2cReadAck()) return Refused();
    }
    I2cWriteByte(static_cast<std::uint8_t>(address & 0xFF));
    if (!I2cReadAck()) return Refused();
    if (bytes.empty()) {
        I2cStop();  // a stop after the address alone starts no write either
        return true;
    }
    // The repeated start ends the write before any data byte; the read starts where it pointed.
    Wait(1);
    I2cStart();
    Wait(1);
    I2cWriteByte(ControlByte(ControlRead, address, addressing));
    if (!I2cReadAck()) return Refused();
    std::vector<std::array<port::Port::Sample, 8>> samples(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        samples[i] = RequestByte();
        if (i + 1 < bytes.size()) MasterAck();
        else MasterNack();
    }
    I2cStop();
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = ByteOf(samples[i]);
    return true;
}

void I2cMaster::WaitMilliseconds(std::uint32_t milliseconds) {
    port::Clock& clock = timing_.clock();
    const std::uint32_t start = clock.GetTickCount();
    // Unsigned difference: correct across the tick count's wrap at 2^32.
    while (static_cast<std::uint32_t>(clock.GetTickCount() - start) < milliseconds) {
    }
}

}  // namespace tarpel::link
