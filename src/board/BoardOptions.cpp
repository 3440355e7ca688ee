// SPDX-License-Identifier: GPL-2.0-or-later
#include "board/BoardOptions.h"

#include <charconv>

#include "board/Board.h"
#include "shell/Fill.h"
#include "shell/Translate.h"
#include "sim/AvrDeviceModel.h"
#include "sim/ChipStore.h"
#include "sim/Eeprom24CxxModel.h"
#include "sim/SimFaults.h"

namespace tarpel::board {

namespace {

// Stores the value as it stands; OpenBoard judges it.
CommandLineOption TextOption(OptionSpec spec, std::string& target) {
    return {std::move(spec), [&target](const std::string& value) {
                target = value;
                return std::string();
            }};
}

// "A, B, C" for the help, from the table the board itself chooses from.
template <typename Rows>
std::string Names(const Rows& rows) {
    std::string names;
    for (const auto& row : rows) names += std::string(row.name) + ", ";
    names.resize(names.size() - 2);
    return names;
}

}  // namespace

std::vector<CommandLineOption> BoardCommandLineOptions(BoardOptions& options) {
    const BoardOptions defaults;
    std::vector<CommandLineOption> table;
    table.push_back(TextOption({"board", Tr("PLACA"),
                                BoardKindsHelp() + ". " +
                                    Tr("ftdi: un adaptador USB FTDI en bit-bang (el primero que se encuentre, o el de "
                                       "ese numero de serie); sim:ft232r y sim:ft232h: la placa simulada tras un "
                                       "adaptador simulado. Sin ella: ppdev en /dev/parport0 si existe, si no la placa "
                                       "simulada. Un puerto real que no se puede abrir es un error, nunca se pasa a la "
                                       "simulacion.")},
                               options.board));
    table.push_back({{"trace", Tr("FICHERO"),
                      Tr("registra cada escritura y lectura del puerto en un fichero VCD con marcas de "
                         "tiempo en ns (GTKWave, PulseView, sigrok-cli; para trazas largas: sigrok-cli -I "
                         "vcd:downsample=1000 -i FICHERO ...)")},
                     [&options](const std::string& value) {
                         // An empty name would quietly mean no trace at all.
                         if (value.empty()) return std::string(Tr("--trace necesita el nombre de un fichero"));
                         options.traceFile = value;
                         return std::string();
                     }});
    table.push_back(TextOption({"sim-dir", Tr("CARPETA"),
                                shell::Fill(Tr("donde guarda la placa simulada el contenido de sus chips (por "
                                               "defecto %1)"),
                                            {sim::ChipStore::DefaultFolder()})},
                               options.simDir));
    table.push_back(TextOption({"sim-eeprom", "CHIP",
                                shell::Fill(Tr("chip del zocalo 24Cxx simulado: %1 o none (por defecto %2)"),
                                            {Names(sim::Eeprom24CxxModels), defaults.simEeprom})},
                               options.simEeprom));
    table.push_back({{"sim-eeprom-write-ms", "MS",
                      Tr("ciclo de escritura de la 24Cxx simulada en ms, mas de 0 y hasta 5 (por defecto el maximo "
                         "de la hoja de datos del chip)")},
                     [&options](const std::string& value) {
                         double ms = 0;
                         const auto* end = value.data() + value.size();
                         const auto result = std::from_chars(value.data(), end, ms);
                         if (value.empty() || result.ec != std::errc() || result.ptr != end)
                             return shell::Fill(Tr("--sim-eeprom-write-ms espera un numero de milisegundos: %1"),
                                                {value});
                         options.simEepromWriteMs = ms;
                         return std::string();
                     }});
    table.push_back({{"sim-ftdi-clock", Tr("FACTOR"),
                      Tr("las patillas del adaptador FTDI simulado van a FACTOR veces el ritmo pedido a libftdi, de "
                         "0.5 a 20 (por defecto 1)")},
                     [&options](const std::string& value) {
                         double factor = 0;
                         const auto* end = value.data() + value.size();
                         const auto result = std::from_chars(value.data(), end, factor);
                         if (value.empty() || result.ec != std::errc() || result.ptr != end)
                             return shell::Fill(Tr("--sim-ftdi-clock espera un numero: %1"), {value});
                         options.simFtdiClock = factor;
                         return std::string();
                     }});
    table.push_back(TextOption({"sim-avr", Tr("MODELO"),
                                shell::Fill(Tr("micro del zocalo AVR simulado: %1 o none (por defecto %2)"),
                                            {Names(sim::AvrDeviceModels), defaults.simAvr})},
                               options.simAvr));
    table.push_back({{"sim-fault", Tr("FALLO"), Tr("fallo simulado; se puede repetir:"), Tr(sim::SimFaultHelp)},
                     [&options](const std::string& value) {
                         options.simFaults.push_back(value);
                         return std::string();
                     }});
    table.push_back({{"real-time", "", Tr("la placa simulada va al ritmo del reloj real")},
                     [&options](const std::string&) {
                         options.realTime = true;
                         return std::string();
                     }});
    return table;
}

}  // namespace tarpel::board
