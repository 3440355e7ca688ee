// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The two memories the reading, verifying and blank-test commands go through byte by byte:
// flash and internal EEPROM, each with its size on the identified device, its read
// instruction, its gauge and its file limits. It shows no message and chooses no file.
#include <cstdint>
#include <span>

#include "avr/CommandFrame.h"
#include "avr/FileImage.h"

namespace tarpel::avr {

enum class DeviceMemory { Flash, Eeprom };

// Bytes of this memory on the device the frame identified last.
int MemorySize(const CommandFrame& frame, DeviceMemory memory);
shell::Gauge MemoryGauge(DeviceMemory memory);  // prFlash or prEEPInt
const ImageLimits& MemoryFileLimits(DeviceMemory memory);

// Reads bytes 0 .. image.size() - 1 of the memory, one instruction per byte, moving the
// memory's gauge and letting the window handle its events after each. The device must be in
// programming mode. False when the command was told to stop before the end: the frame has then
// stopped it (lines off), and what was read is no copy of the memory.
[[nodiscard]] bool ReadDeviceMemory(CommandFrame& frame, DeviceMemory memory, std::span<std::uint8_t> image);

}  // namespace tarpel::avr
