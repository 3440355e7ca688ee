// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/FtdiBoardPort.h"

#include "port/FtdiMpssePort.h"
#include "port/FtdiPort.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::port {

std::string FtdiUnsupportedChipMessage(FtdiChip chip, const std::string& serial) {
    const std::string which =
        serial.empty() ? std::string("FTDI") : shell::Fill(Tr("FTDI con numero de serie %1"), {serial});
    // The full-speed chips before the FT232R clock their bit-bang pins without a sample of their
    // own (FT232AM/BM) or have an MPSSE of 6 MHz at most and no clock-only commands (FT2232C/D).
    switch (chip) {
        case FtdiChip::Ft232AmBm:
            return shell::Fill(Tr("El adaptador %1 lleva un FT232AM/BM, que no sirve para la placa. Use un adaptador "
                                  "con FT232R, FT232H, FT2232H o FT4232H."),
                               {which});
        case FtdiChip::Ft2232CD:
            return shell::Fill(Tr("El adaptador %1 lleva un FT2232C/D, que no sirve para la placa. Use un adaptador "
                                  "con FT232R, FT232H, FT2232H o FT4232H."),
                               {which});
        default: break;
    }
    return shell::Fill(Tr("El adaptador %1 lleva un chip que no sirve para la placa. Use un adaptador con FT232R, "
                          "FT232H, FT2232H o FT4232H."),
                       {which});
}

FtdiBoardPort OpenFtdiBoardPort(std::unique_ptr<FtdiCalls> calls, const std::string& serial, Clock& clock,
                                std::string& errorMessage) {
    FtdiAdapter adapter;
    std::string detail;
    if (const FtdiOpenError error = calls->Open(serial, adapter, detail); error != FtdiOpenError::None) {
        errorMessage = FtdiErrorMessage(error, FtdiStage::Open, serial, detail);
        return {};
    }
    if (HasMpsse(adapter.chip)) {
        auto port = FtdiMpssePort::Start(std::move(calls), std::move(adapter), serial, errorMessage);
        if (!port) return {};
        std::string name = port->Name();
        return {std::move(port), std::move(name)};
    }
    if (adapter.chip == FtdiChip::Ft232R) {
        auto port = FtdiPort::Start(std::move(calls), std::move(adapter), serial, clock, errorMessage);
        if (!port) return {};
        std::string name = port->Name();
        return {std::move(port), std::move(name)};
    }
    errorMessage = FtdiUnsupportedChipMessage(adapter.chip, serial);
    calls->Close();
    return {};
}

}  // namespace tarpel::port
