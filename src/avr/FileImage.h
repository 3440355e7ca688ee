#pragma once
// Loading a file into an AVR command's own image buffer: preset to 0xFF (the erased value),
// then raw bytes or Intel HEX records by the name's last three characters. It shows nothing;
// ReportUnloadable turns a file that gave no image into the command's error box.
#include <cstdint>
#include <string>
#include <vector>

#include "shell/Shell.h"

namespace tarpel::avr {

struct ImageLimits {
    std::size_t capacity;     // bytes of the buffer; beyond the HEX limit by more than a record
    std::size_t binaryBytes;  // at most this many bytes are taken from a binary file
    std::int32_t hexLimit;    // highest HEX record address accepted
};

inline constexpr ImageLimits FlashImageLimits{13569, 9472, 9472};
inline constexpr ImageLimits EepromImageLimits{849, 592, 592};

enum class ImageLoad {
    Loaded,       // the file was read; what it held is in the image (maybe nothing at all)
    Unreadable,   // the file could not be opened or read
    UnknownKind,  // the name ends in neither BIN nor HEX
};

struct FileImage {
    ImageLoad load = ImageLoad::Unreadable;
    std::vector<std::uint8_t> bytes;  // capacity bytes, 0xFF where the file put nothing
};

FileImage LoadFileImage(const std::string& fileName, const ImageLimits& limits);

// The error box for an image that was not loaded; nothing for a loaded one.
void ReportUnloadable(shell::Shell& shell, ImageLoad load);

}  // namespace tarpel::avr
