// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A whole device written in one go, as a production run and "Restaurar copia..." do it: the
// device checked against the program's signature and the images against its memories, then chip
// erase, flash, EEPROM, the fuse bytes, a full read of all of them against the program, and
// only after that the lock byte. Each step is told to an observer with its outcome and time.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "avr/CommandFrame.h"
#include "avr/ElfRead.h"
#include "avr/FileImage.h"
#include "avr/FuseMemory.h"

namespace tarpel::avr {

struct DeviceProgram {
    FileImage flash;
    FileImage eeprom;                     // 0xFF throughout where the program has no EEPROM data
    std::vector<std::uint8_t> signature;  // empty: any device takes it
    std::optional<FuseBytes> fuses;
    std::optional<std::uint8_t> lock;     // written only when the caller asks for it
};

// An avr-gcc or backup ELF file whole: its memories, signature, fuse and lock bytes. False, after
// an "ERROR" box, when the file is no AVR program, lacks `needed` (a backup its .signature, a
// program its flash) or its fuse or lock bytes may not be written.
bool LoadElfProgram(shell::Shell& shell, const std::string& fileName, DeviceProgram& program,
                    ElfMemory needed = ElfMemory::Signature);

// A flash file of any kind, with an EEPROM file beside it or none: their boxes as the programming
// commands show them. False when the command must not go on.
bool LoadImagePrograms(shell::Shell& shell, const std::string& flashFile, const std::string& eepromFile,
                       DeviceProgram& program);

// What "avr program" and the production dialog write into a whole device.
struct ProgramRequest {
    std::string file;        // an ELF program, or a flash file of any kind
    std::string eepromFile;  // beside a flash file that is no ELF; empty for none
    bool lock = false;       // the ELF file's .lock byte at the end
    std::optional<ImagePatch> flashPatch, eepromPatch;  // a serial number
};

class StepObserver {
public:
    virtual ~StepObserver() = default;
    // A step has ended: "borrado", "flash", "eeprom", "fuses", "verificacion", "bloqueo".
    virtual void StepEnded(std::string_view step, CommandOutcome outcome, double seconds) = 0;
};

// The device part of the run, for a program already loaded. Done only when the device reads back
// as the program has it (and holds the lock byte, when `writeLock`); otherwise the box of the
// first failure, whose text begins with `failure` ("La copia no se ha restaurado bien").
// A clock that needs parts on XTAL1 is asked about before the erase.
CommandOutcome WriteDeviceProgram(CommandFrame& frame, const DeviceProgram& program, bool writeLock,
                                  std::string_view failure, StepObserver* steps = nullptr);

// The request as one command: the files loaded and patched (their boxes before the device is
// touched), then WriteDeviceProgram. `--lock` without a .lock section is refused before too.
CommandOutcome ProgramDeviceFrom(CommandFrame& frame, const ProgramRequest& request, StepObserver* steps = nullptr);

}  // namespace tarpel::avr
