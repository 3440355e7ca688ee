// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/LockBits.h"

#include <cstdio>

#include "avr/LockMode.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

std::optional<std::uint8_t> ReadLockByte(CommandFrame& frame) {
    if (!frame.Device().lockBitsReadable) return std::nullopt;
    return frame.Link().ReadLockBits();
}

std::optional<std::uint8_t> WriteLockByte(CommandFrame& frame, std::uint8_t lockByte) {
    link::AvrLink& link = frame.Link();
    if (!frame.Device().lockBitsReadable) {
        link.WriteLockBitsAt90s(static_cast<std::uint8_t>(lockByte & LockBitsMask));
        return std::nullopt;
    }
    link.WriteLockBits(lockByte);
    return link.ReadLockBits();
}

namespace {

// Bits 7..6 of the lock byte are unused: whatever the device reads there is no difference.
constexpr std::uint8_t LockByteBits = 0x3F;

}  // namespace

std::string LockByteText(std::uint8_t lockByte) {
    char text[8];
    std::snprintf(text, sizeof text, "$%02X", lockByte);
    return text;
}

bool WriteCheckedLockByte(CommandFrame& frame, std::uint8_t lockByte) {
    const std::optional<std::uint8_t> read = WriteLockByte(frame, lockByte);
    frame.StopCommand();
    if (!read) return true;
    frame.View().LockBitsKnown(*read);
    if ((*read & LockByteBits) == (lockByte & LockByteBits)) return true;
    frame.Shell().MessageBox(shell::Fill(Tr("Los bits de bloqueo leidos no coinciden con los grabados!!\rGrabados: "
                                            "%1\rLeidos: %2\rUn bit ya programado solo se borra con un borrado "
                                            "del chip."),
                                         {LockByteText(lockByte), LockByteText(*read)}),
                             ErrorCaption);
    return false;
}

bool LockAllowsReading(CommandFrame& frame) {
    const std::optional<std::uint8_t> lockByte = ReadLockByte(frame);
    if (!lockByte) return true;
    // LB2 programmed without LB1 is in no datasheet's table: taken as the stricter mode.
    const std::optional<LockMode> mode = LockModeOf(*lockByte);
    if (mode && mode != LockMode::NoVerification) return true;
    frame.SwitchOff();
    frame.Shell().MessageBox(shell::Fill(Tr("El %1 esta bloqueado en el modo 3: no deja leer ni verificar la flash ni "
                                            "la eeprom interna, y lo que contesta no es su contenido.\rSolo un "
                                            "borrado del chip quita el bloqueo."),
                                         {frame.Device().caption}),
                             ErrorCaption);
    return false;
}

}  // namespace tarpel::avr
