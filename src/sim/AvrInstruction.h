// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Decoding one 4-byte serial programming instruction as a given AVR reads it, bit pattern by bit
// pattern from its datasheet's instruction table ("x" bits ignored, addresses cut to the part's
// size). Only the decoding: what an instruction does is VirtualAvr's business.
#include <array>
#include <cstdint>

#include "sim/AvrDeviceModel.h"

namespace tarpel::sim {

enum class AvrOp {
    Unknown,
    ProgrammingEnable,
    ChipErase,
    ReadFlash,
    WriteFlash,     // byte-wise parts: write one flash byte
    LoadPage,       // paged parts: put one byte into the page buffer
    WritePage,      // paged parts: program the buffered page
    ReadEeprom,
    WriteEeprom,
    ReadSignature,
    WriteLock,
    ReadLock,
    ReadFuseLow,
    ReadFuseHigh,
    WriteFuseLow,
    WriteFuseHigh,
    ReadFuseExtended,   // ATmega162
    WriteFuseExtended,  // ATmega162
};

struct AvrInstruction {
    AvrOp op = AvrOp::Unknown;
    std::uint32_t address = 0;  // flash and EEPROM: byte address; page ops: the page's first byte;
                                // LoadPage: byte offset in the buffer; signature: index 0..3
    std::uint8_t lockBits = 0xFF;  // AT90S WriteLock: the lock bits carried in byte 2 (LB1 bit 0, LB2 bit 1)

    bool IsRead() const {
        return op == AvrOp::ReadFlash || op == AvrOp::ReadEeprom || op == AvrOp::ReadSignature ||
               op == AvrOp::ReadLock || op == AvrOp::ReadFuseLow || op == AvrOp::ReadFuseHigh ||
               op == AvrOp::ReadFuseExtended;
    }
};

// Needs only the first three bytes: the fourth carries data in or out.
AvrInstruction DecodeAvrInstruction(const AvrDeviceModel& model, const std::array<std::uint8_t, 4>& bytes);

}  // namespace tarpel::sim
