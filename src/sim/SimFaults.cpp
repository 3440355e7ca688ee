// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SimFaults.h"

#include <charconv>
#include <stdexcept>
#include <string_view>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::sim {

namespace {

constexpr std::string_view RefusePrefix = "eeprom-refuse-page:";

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

PageRefusal ParseRefusal(const std::string& name) {
    const std::string_view rest = std::string_view(name).substr(RefusePrefix.size());
    const auto colon = rest.find(':');
    PageRefusal refusal;
    if (colon == std::string_view::npos || !ParseNumber(rest.substr(0, colon), refusal.page) ||
        !ParseNumber(rest.substr(colon + 1), refusal.attempts) || refusal.attempts < 0)
        throw std::invalid_argument(
            shell::Fill(Tr("Fallo simulado mal escrito: %1 (se espera eeprom-refuse-page:PAGINA:INTENTOS)"), {name}));
    return refusal;
}

// A cell address, in decimal or with 0x in hexadecimal.
std::uint32_t ParseAddress(const std::string& name, std::string_view text) {
    std::uint32_t address = 0;
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const std::string_view digits = hex ? text.substr(2) : text;
    const auto* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, address, hex ? 16 : 10);
    if (digits.empty() || result.ec != std::errc() || result.ptr != end)
        throw std::invalid_argument(
            shell::Fill(Tr("Fallo simulado mal escrito: %1 (se espera eeprom-stuck:DIRECCION)"), {name}));
    return address;
}

// A page buffer is a power of two, at most the largest any 24Cxx has.
std::uint32_t ParsePageBytes(const std::string& name, std::string_view text) {
    std::uint32_t bytes = 0;
    if (!ParseNumber(text, bytes) || bytes == 0 || bytes > 256 || (bytes & (bytes - 1)) != 0)
        throw std::invalid_argument(shell::Fill(
            Tr("Fallo simulado mal escrito: %1 (se espera eeprom-page:N, N potencia de 2 hasta 256)"), {name}));
    return bytes;
}

}  // namespace

const char* const SimFaultHelp =
    TrNoop("      eeprom-refuse-page:K:N  la 24Cxx no acepta su pagina K (de su propio tamano de\n"
           "                              pagina) en las N primeras escrituras\n"
           "      eeprom-stuck:DIR        la celda DIR de la 24Cxx guarda su valor anterior\n"
           "      eeprom-page:N           la pagina real de la 24Cxx es de N bytes\n"
           "      eeprom-stop-starts-cycle  una parada tras el byte de control empieza un ciclo\n"
           "                              de escritura con la pagina anterior\n"
           "      sda-stuck-high          la linea de retorno de SDA queda siempre alta\n"
           "      sda-stuck-low           la linea de retorno de SDA queda siempre baja\n"
           "      avr-absent, avr-locked, avr-lock-keeps-signature, avr-unknown-signature,\n"
           "      avr-no-answer, avr-flash-stuck:DIR\n"
           "                              fallos del zocalo AVR (los interpreta su modelo)\n"
           "      N:FALLO                 el fallo solo en el chip N de una tirada con --repeat\n");

SimFaults ParseSimFaults(const std::vector<std::string>& all, int chip) {
    SimFaults faults;
    for (std::string name : all) {
        if (const std::size_t colon = name.find(':');
            colon != std::string::npos && colon > 0 && name.find_first_not_of("0123456789") == colon) {
            const bool mine = name.substr(0, colon) == std::to_string(chip);
            name.erase(0, colon + 1);
            if (!mine) {
                ParseSimFaults({name});  // checked all the same: a wrong name is wrong at once
                continue;
            }
        }
        if (name.starts_with("avr-")) {
            faults.avrFaults.push_back(name);
        } else if (name.starts_with(RefusePrefix)) {
            faults.eeprom.pageRefusals.push_back(ParseRefusal(name));
        } else if (name.starts_with("eeprom-stuck:")) {
            faults.eeprom.stuckCells.push_back(ParseAddress(name, std::string_view(name).substr(13)));
        } else if (name.starts_with("eeprom-page:")) {
            faults.eeprom.pageBytes = ParsePageBytes(name, std::string_view(name).substr(12));
        } else if (name == "eeprom-stop-starts-cycle") {
            faults.eeprom.stopStartsCycle = true;
        } else if (name == "sda-stuck-high" || name == "sda-stuck-low") {
            const auto fault = name == "sda-stuck-high" ? ReturnLineFault::StuckHigh : ReturnLineFault::StuckLow;
            if (faults.returnLine != ReturnLineFault::None && faults.returnLine != fault)
                throw std::invalid_argument(Tr("La linea de retorno no puede quedar alta y baja a la vez"));
            faults.returnLine = fault;
        } else {
            throw std::invalid_argument(shell::Fill(Tr("Fallo simulado desconocido: %1"), {name}));
        }
    }
    return faults;
}

}  // namespace tarpel::sim
