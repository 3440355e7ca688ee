// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Loading a file into an AVR command's own image buffer: preset to 0xFF (the erased value),
// then raw bytes, Intel HEX or S-record records, or an avr-gcc ELF program's section for the
// memory, by the name's ending. Loading shows nothing; the Report and Check functions turn what
// the file gave into the command's boxes, all of them before anything is written to or
// compared with the device.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "avr/DeviceTable.h"
#include "avr/ElfRead.h"
#include "files/FileKind.h"
#include "files/ImagePatch.h"
#include "files/ImageFileRead.h"
#include "shell/Shell.h"
#include "shell/Translate.h"

namespace tarpel::avr {

class CommandFrame;

// This memory's bytes on the largest device of the table: no file beyond it fits any device.
constexpr int LargestFlashSize() {
    int largest = 0;
    for (const auto& device : DeviceTable) largest = std::max(largest, device.flashSize);
    return largest;
}
constexpr int LargestEepromSize() {
    int largest = 0;
    for (const auto& device : DeviceTable) largest = std::max(largest, device.eepromSize);
    return largest;
}

struct ImageLimits {
    std::size_t capacity;         // bytes of the buffer; beyond the HEX limit by more than a record
    std::size_t binaryBytes;      // at most this many bytes are taken from a binary file
    std::int32_t hexLimit;        // highest HEX record address accepted
    std::uint32_t hexOrigin;      // HEX addresses from here on count from 0 (see below)
    std::string_view memoryName;  // the memory as the size error names it
    int largestSize;              // this memory's bytes on the largest device
    ElfMemory elfMemory;          // what an ELF program holds for this memory
};

// Flash files: 1280 bytes beyond the largest flash are read (9472 when that was 8 KiB), so that
// the size error can name how far a file goes, and the buffer has 4097 bytes more than that for a
// record that starts just below the limit.
inline constexpr int FlashFileLimit = LargestFlashSize() + 1280;
inline constexpr ImageLimits FlashImageLimits{FlashFileLimit + 4097, FlashFileLimit, FlashFileLimit, 0,
                                              TrNoop("la flash"), LargestFlashSize(), ElfMemory::Flash};
// avr-objcopy writes an .eeprom section at its link address, 0x810000 on; it is meant for
// EEPROM address 0, so such a HEX or S-record file loads there.
inline constexpr ImageLimits EepromImageLimits{849,        592, 592, 0x810000, TrNoop("la eeprom interna"),
                                               LargestEepromSize(), ElfMemory::Eeprom};

enum class ImageLoad {
    Loaded,       // the file was read; what it held is in the image
    Unreadable,   // the file could not be opened or read
    UnknownKind,  // the name has none of the known endings
    NoHexData,    // a HEX file without a single data record: empty, or some other kind of file
    NoSrecData,   // the same for an S-record file
    ElfRefused,   // an ELF file that is no AVR program, is damaged or has nothing for the memory
    TooLarge,     // a text or ELF file far larger than any image, refused before it was read
};

struct FileImage {
    ImageLoad load = ImageLoad::Unreadable;
    files::FileKind kind = files::FileKind::Other;  // by the name's ending
    std::vector<std::uint8_t> bytes;  // capacity bytes, 0xFF where the file put nothing
    // What the reading found; dataEnd is the length of a binary file, also beyond what was read.
    files::ImageFileRead read;
    std::string elfError;                 // why an ELF file was refused
    std::vector<std::uint8_t> signature;  // the device an ELF program was built for, when it says
};

FileImage LoadFileImage(const std::string& fileName, const ImageLimits& limits);

// A patch's bytes count as the file's data, so the device's size check covers them.
using files::ImagePatch;

// False, with the image untouched, when the patch lies beyond the image's buffer.
bool ApplyPatch(FileImage& image, const ImagePatch& patch);

// The error box for a patch that lies beyond this memory of every device.
void ReportPatchBeyond(shell::Shell& shell, const ImagePatch& patch, const ImageLimits& limits);

// The error box for an image that was not loaded; nothing for a loaded one.
void ReportUnloadable(shell::Shell& shell, const FileImage& image);

// The file's boxes before the device is powered: the error for a file that gave no image, gives
// the memory no data at all (an empty binary file included) or holds more data than this memory
// of any device, the warnings for lines that were not valid records or came after the end. True when the command may go on.
bool ReportFileImage(shell::Shell& shell, const FileImage& image, const ImageLimits& limits);

// True when the file's data lies within the memory's memorySize bytes on the identified device.
// Otherwise the command stops (every line off, default cursor) and then the error box names both
// sizes, so that nothing is cut in silence.
bool CheckImageFits(CommandFrame& frame, const FileImage& image, const ImageLimits& limits, int memorySize);

// True when a file's signature is empty (only an ELF program's .signature section names a
// device) or is the identified device's. Otherwise the command stops (every line off, default
// cursor) and then the error box names both devices: a program built for another one must not
// reach it.
bool CheckFileDevice(CommandFrame& frame, const std::vector<std::uint8_t>& signature);

}  // namespace tarpel::avr
