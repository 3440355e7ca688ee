// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The 24Cxx commands' error texts, shared by every command that talks to the chip.
#include "shell/Translate.h"

namespace tarpel::eeprom {

inline constexpr const char* ErrorCaption = "ERROR";
inline constexpr const char* NoAckText =
    TrNoop("Sin acuse de recibo por parte del chip!!!\r            (No se ha recibido ACK)");
inline constexpr const char* PageNoAckText =
    TrNoop("Sin acuse de recibo por parte del chip!!!\r(No se ha recibido ACK en byte nº%1)");
inline constexpr const char* SdaHeldLowText =
    TrNoop("La linea SDA esta retenida a nivel bajo!!!\r(Comprueba el chip y la placa)");

}  // namespace tarpel::eeprom
