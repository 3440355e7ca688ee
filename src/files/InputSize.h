// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How large an input file may be before a command reads it whole. No chip holds more than
// 256 KiB, which as HEX records take about 720 KB; an avr-gcc program for one, debugging sections
// and all, stays far below a few MiB. A regular file of more than MaxInputFileBytes is no image
// for a chip: it is refused with a message before any of it is read, instead of filling the
// memory. Devices and FIFOs, whose size is not known beforehand, are cut off by the readers
// themselves at the same figure.
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "files/TextLines.h"
#include "shell/Translate.h"

namespace tarpel::files {

inline constexpr std::uintmax_t MaxInputFileBytes = MaxTextFileBytes;

inline constexpr std::string_view TooLargeText =
    TrNoop("El fichero ocupa mas de 8 MiB: demasiado para ser la imagen de un chip!!");

// True when fileName is a regular file of more than MaxInputFileBytes.
inline bool TooLargeInput(const std::string& fileName) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    return !error && size > MaxInputFileBytes;
}

}  // namespace tarpel::files
