// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/FuseFile.h"

#include <cstdio>

#include "avr/DeviceFuses.h"
#include "avr/ElfRead.h"
#include "avr/FuseMapping.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

FuseFile ReadFuseFile(const std::string& fileName) {
    FuseFile file;
    ElfReadResult elf = ElfRead(fileName, ElfMemory::Fuses);
    file.signature = std::move(elf.signature);
    if (!elf.error.empty()) {
        file.error = std::move(elf.error);
        return file;
    }
    const auto bytes = FuseBytesOf(elf.fuses);
    if (!bytes) {
        file.error = FuseLengthRefusal(elf.fuses.size());
        return file;
    }
    file.bytes = *bytes;
    file.error = SpienRefusal(file.bytes);
    return file;
}

std::string FuseLengthRefusal(std::size_t length) {
    return shell::Fill(Tr("La seccion .fuse del fichero tiene %1 bytes: el ATmega8515 tiene 2 (bajo y alto) y el "
                          "ATmega162 3 (bajo, alto y extendido)!!"),
                       {length});
}

std::string SpienRefusal(FuseBytes bytes) {
    if ((bytes.high & fusebits::Spien) == 0) return {};
    char value[8];
    std::snprintf(value, sizeof value, "$%02X", bytes.high);
    return shell::Fill(Tr("El FuseHigh del fichero (%1) desactiva SPIEN: el micro ya no se podria programar desde esta "
                          "placa!!"),
                       {value});
}

}  // namespace tarpel::avr
