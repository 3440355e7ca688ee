// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/AvrFactory.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "shell/Fill.h"
#include "shell/Translate.h"
#include "sim/AvrDeviceModel.h"
#include "sim/AvrFaults.h"
#include "sim/VirtualAvr.h"

namespace tarpel::sim {

namespace {

constexpr std::string_view StuckPrefix = "avr-flash-stuck:";

std::uint32_t ParseAddress(const std::string& fault, std::uint32_t flashBytes) {
    const std::string text = fault.substr(StuckPrefix.size());
    std::size_t used = 0;
    unsigned long address = 0;
    try {
        address = std::stoul(text, &used, 0);  // decimal, or hexadecimal with 0x
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || address >= flashBytes)
        throw std::invalid_argument(shell::Fill(Tr("direccion de flash no valida en el fallo: %1"), {fault}));
    return static_cast<std::uint32_t>(address);
}

}  // namespace

bool IsAvrFault(const std::string& fault) { return fault.rfind("avr-", 0) == 0; }

std::unique_ptr<AvrSocketChip> MakeVirtualAvr(const std::string& model, const ChipStore& store,
                                              const std::vector<std::string>& faults) {
    std::string name = model;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const AvrDeviceModel* row = FindAvrDeviceModel(name);
    if (!row && name != "none")
        throw std::invalid_argument(shell::Fill(Tr("modelo de AVR desconocido: %1"), {model}));

    AvrFaults parsed;
    bool absent = row == nullptr;
    for (const auto& fault : faults) {
        if (!IsAvrFault(fault)) continue;  // the other socket's
        if (fault == "avr-absent") {
            absent = true;
        } else if (fault == "avr-locked") {
            parsed.locked = true;
        } else if (fault == "avr-lock-keeps-signature") {
            parsed.lockKeepsSignature = true;
        } else if (fault == "avr-unknown-signature") {
            parsed.unknownSignature = true;
        } else if (fault == "avr-no-answer") {
            parsed.noAnswer = true;
        } else if (fault.rfind(StuckPrefix, 0) == 0) {
            parsed.stuckFlashByte = ParseAddress(fault, row ? row->flashBytes : 0x10000);
        } else {
            throw std::invalid_argument(shell::Fill(Tr("fallo de AVR desconocido: %1"), {fault}));
        }
    }
    if (absent) return nullptr;
    return std::make_unique<VirtualAvr>(*row, store, parsed);
}

}  // namespace tarpel::sim
