// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/BlankTest.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "avr/CommandEntry.h"
#include "avr/DeviceMemory.h"
#include "avr/LockBits.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view NotBlankCaption = "NO BLANK";

// Identifies the device and reads the whole memory: Done, Failed when the device did not answer
// as one to work on, or how the read was stopped (the frame has stopped). Lines are off
// afterwards either way.
CommandOutcome ReadWhole(CommandFrame& frame, DeviceMemory memory, std::vector<std::uint8_t>& image) {
    if (!frame.IdentifyDevice() || !LockAllowsReading(frame)) {
        frame.StopCommand();
        return frame.StartOutcome();
    }
    image.assign(static_cast<std::size_t>(MemorySize(frame, memory)), 0xFF);
    if (!ReadDeviceMemory(frame, memory, image)) return frame.StoppedOutcome();
    frame.SwitchOff();
    return CommandOutcome::Done;
}

bool Blank(const std::vector<std::uint8_t>& image) {
    return std::all_of(image.begin(), image.end(), [](std::uint8_t b) { return b == 0xFF; });
}

CommandOutcome TestBothMemories(CommandFrame& frame) {
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    std::vector<std::uint8_t> image;
    if (const auto read = ReadWhole(frame, DeviceMemory::Flash, image); read != CommandOutcome::Done) return read;
    if (!Blank(image)) {
        shell.SetCursor(shell::CursorShape::Default);
        shell.MessageBox(Tr("La flash no esta vacia!!!"), NotBlankCaption);
        return CommandOutcome::Failed;
    }
    // Every command starts from cold: the EEPROM gets a power-up and identification of its own.
    if (const auto read = ReadWhole(frame, DeviceMemory::Eeprom, image); read != CommandOutcome::Done) return read;
    shell.SetCursor(shell::CursorShape::Default);
    if (!Blank(image)) {
        shell.MessageBox(Tr("La EEPROM no esta vacia!!!"), NotBlankCaption);
        return CommandOutcome::Failed;
    }
    shell.Report(Tr("La flash y la eeprom interna estan vacias"));
    shell.MessageBox(Tr("La flash y la eeprom interna estan vacias"), "BLANK-TEST");
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome BlankTest(CommandFrame& frame) {
    return RunCommand(frame, [&] { return TestBothMemories(frame); });
}

}  // namespace tarpel::avr
