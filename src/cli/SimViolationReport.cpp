#include "cli/SimViolationReport.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/Translate.h"
#include "sim/SimulatedBoard.h"

namespace tarpel::cli {

namespace {

struct Logged {
    const char* socket;  // before the description, which on the AVR side names its socket itself
    const sim::ProtocolViolation* violation;
};

}  // namespace

std::size_t ReportSimViolations(sim::SimulatedBoard& board, std::ostream& err) {
    std::size_t count = 0;
    std::vector<Logged> shown;
    const auto collect = [&](const sim::SocketChip* chip, const char* socket) {
        if (chip == nullptr) return;
        const sim::ViolationLog& log = chip->Violations();
        count += log.Entries().size() + log.Suppressed();
        for (const auto& violation : log.Entries()) shown.push_back({socket, &violation});
    };
    collect(board.Eeprom(), "24Cxx: ");
    collect(board.Avr(), "");
    if (count == 0) return 0;
    // Both sockets' entries in the order they happened.
    std::stable_sort(shown.begin(), shown.end(),
                     [](const Logged& a, const Logged& b) { return a.violation->timeNs < b.violation->timeNs; });
    err << "tarpel-cli: " << count << (count == 1 ? Tr(" violacion") : Tr(" violaciones"))
        << Tr(" del protocolo en la placa simulada");
    if (count > ShownViolations) err << Tr(" (las ") << ShownViolations << Tr(" primeras)");
    err << ":\n";
    for (std::size_t i = 0; i < shown.size() && i < ShownViolations; ++i) {
        char when[32];
        std::snprintf(when, sizeof when, "%.6f", static_cast<double>(shown[i].violation->timeNs) * 1e-9);
        err << "  " << when << " s: " << shown[i].socket << shown[i].violation->description << '\n';
    }
    return count;
}

}  // namespace tarpel::cli
