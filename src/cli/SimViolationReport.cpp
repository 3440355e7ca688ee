// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/SimViolationReport.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/Fill.h"
#include "shell/Translate.h"
#include "sim/SimulatedBoard.h"

namespace tarpel::cli {

namespace {

struct Logged {
    const char* socket;  // before the description, which on the AVR side names its socket itself
    const sim::ProtocolViolation* violation;
};

}  // namespace

SocketsInUse SocketsOfGroup(std::string_view group) {
    if (group == "eeprom") return {true, false};
    if (group == "avr") return {false, true};
    return {};
}

std::size_t ReportSimViolations(sim::SimulatedBoard& board, SocketsInUse inUse, std::ostream& err) {
    std::size_t count = 0;
    std::vector<Logged> shown;
    const auto collect = [&](const sim::SocketChip* chip, const char* socket, bool used, const char* bystander) {
        if (chip == nullptr) return;
        const sim::ViolationLog& log = chip->Violations();
        const std::size_t logged = log.Entries().size() + log.Suppressed();
        if (!used) {
            if (logged != 0)
                err << "tarpel-cli: "
                    << shell::Fill(logged == 1 ? Tr("%1 del otro zocalo vio %2 violacion del protocolo en las lineas "
                                                    "compartidas (no cuentan: la orden no era para ese zocalo)")
                                               : Tr("%1 del otro zocalo vio %2 violaciones del protocolo en las "
                                                    "lineas compartidas (no cuentan: la orden no era para ese zocalo)"),
                                   {bystander, logged})
                    << '\n';
            return;
        }
        count += logged;
        for (const auto& violation : log.Entries()) shown.push_back({socket, &violation});
    };
    collect(board.Eeprom(), "24Cxx: ", inUse.eeprom, Tr("la 24Cxx"));
    collect(board.Avr(), "", inUse.avr, Tr("el AVR"));
    if (count == 0) return 0;
    // Both sockets' entries in the order they happened.
    std::stable_sort(shown.begin(), shown.end(),
                     [](const Logged& a, const Logged& b) { return a.violation->timeNs < b.violation->timeNs; });
    err << "tarpel-cli: "
        << shell::Fill(count == 1                 ? Tr("%1 violacion del protocolo en la placa simulada:")
                       : count <= ShownViolations ? Tr("%1 violaciones del protocolo en la placa simulada:")
                                                  : Tr("%1 violaciones del protocolo en la placa simulada (las %2 "
                                                       "primeras):"),
                       {count, ShownViolations})
        << '\n';
    for (std::size_t i = 0; i < shown.size() && i < ShownViolations; ++i) {
        char when[32];
        std::snprintf(when, sizeof when, "%.6f", static_cast<double>(shown[i].violation->timeNs) * 1e-9);
        err << "  " << when << " s: " << shown[i].socket << shown[i].violation->description << '\n';
    }
    return count;
}

}  // namespace tarpel::cli
