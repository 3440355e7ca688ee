// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/AvrInstruction.h"

namespace tarpel::sim {

AvrInstruction DecodeAvrInstruction(const AvrDeviceModel& model, const std::array<std::uint8_t, 4>& bytes) {
    const std::uint8_t b1 = bytes[0];
    const std::uint8_t b2 = bytes[1];
    const std::uint8_t b3 = bytes[2];
    const bool paged = model.pageWords != 0;
    const std::uint32_t wordMask = model.flashBytes / 2 - 1;
    const std::uint32_t wordAddress = ((static_cast<std::uint32_t>(b2) << 8) | b3) & wordMask;
    const std::uint32_t highByte = (b1 & 0x08) ? 1 : 0;
    AvrInstruction instruction;

    if (b1 == 0xAC) {
        if (b2 == 0x53) {
            instruction.op = AvrOp::ProgrammingEnable;
        } else if ((b2 & 0xE0) == 0x80) {  // 100x xxxx
            instruction.op = AvrOp::ChipErase;
        } else if ((b2 & 0xE0) == 0xE0) {  // 111x x21x on AT90S, 111x xxxx (data in byte 4) on ATmega
            instruction.op = AvrOp::WriteLock;
            instruction.lockBits = static_cast<std::uint8_t>(0xFC | ((b2 >> 1) & 0x03));
        } else if (model.hasFuses && b2 == 0xA0) {
            instruction.op = AvrOp::WriteFuseLow;
        } else if (model.hasFuses && b2 == 0xA8) {
            instruction.op = AvrOp::WriteFuseHigh;
        } else if (model.fuseBytes == 3 && b2 == 0xA4) {
            instruction.op = AvrOp::WriteFuseExtended;
        }
    } else if ((b1 & 0xF7) == 0x20) {  // 0010 H000
        instruction.op = AvrOp::ReadFlash;
        instruction.address = wordAddress * 2 + highByte;
    } else if ((b1 & 0xF7) == 0x40) {  // 0100 H000
        if (paged) {
            instruction.op = AvrOp::LoadPage;
            instruction.address = (b3 & (model.pageWords - 1)) * 2 + highByte;
        } else {
            instruction.op = AvrOp::WriteFlash;
            instruction.address = wordAddress * 2 + highByte;
        }
    } else if (paged && b1 == 0x4C) {  // the page's word address; the in-page bits are ignored
        instruction.op = AvrOp::WritePage;
        instruction.address = (wordAddress & ~(model.pageWords - 1)) * 2;
    } else if (b1 == 0xA0 || b1 == 0xC0) {
        instruction.op = b1 == 0xA0 ? AvrOp::ReadEeprom : AvrOp::WriteEeprom;
        instruction.address = ((static_cast<std::uint32_t>(b2) << 8) | b3) & (model.eepromBytes - 1);
    } else if (b1 == 0x30) {
        instruction.op = AvrOp::ReadSignature;
        instruction.address = b3 & 0x03;
    } else if (model.hasFuses && b1 == 0x58 && b2 == 0x00) {
        instruction.op = AvrOp::ReadLock;
    } else if (model.hasFuses && b1 == 0x58 && b2 == 0x08) {
        instruction.op = AvrOp::ReadFuseHigh;
    } else if (model.hasFuses && b1 == 0x50 && b2 == 0x00) {
        instruction.op = AvrOp::ReadFuseLow;
    } else if (model.fuseBytes == 3 && b1 == 0x50 && b2 == 0x08) {
        instruction.op = AvrOp::ReadFuseExtended;
    }
    return instruction;
}

}  // namespace tarpel::sim
