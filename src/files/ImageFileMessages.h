// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The texts with which the file commands of both pages (24Cxx and AVR) tell the user that a
// file gave no image or gave one with faults. Texts only: each command shows them in its boxes.
#include <cstdint>
#include <string>
#include <string_view>

#include "files/ImageFileRead.h"
#include "shell/Translate.h"

namespace tarpel::files {

inline constexpr std::string_view ErrorCaption = "ERROR";
inline constexpr std::string_view WarningCaption = TrNoop("AVISO:");

inline constexpr std::string_view UnreadableFileText = TrNoop("No se puede abrir el fichero!!");
// The endings the 24Cxx page reads and writes, and the AVR commands write.
inline constexpr std::string_view UnknownKindText =
    TrNoop("Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37 o .mot)!!");
// The endings the AVR commands read: those, and the ELF programs of avr-gcc.
inline constexpr std::string_view UnknownAvrKindText =
    TrNoop("Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37, .mot o .elf)!!");
inline constexpr std::string_view NoHexDataText = TrNoop("El fichero no contiene datos HEX validos!!");
inline constexpr std::string_view NoSrecDataText = TrNoop("El fichero no contiene datos S-record validos!!");

// The warning for a file some of whose lines are not valid records of its format ("HEX",
// "S-record"): how many, and the first.
std::string WrongLinesText(const ImageFileRead& read, std::string_view format = "HEX");

// The warning for an S-record file that goes on after its end record: how many lines, and the first.
std::string LinesAfterEndText(const ImageFileRead& read);

// The one rule by which both pages refuse a file that gives a memory of memorySize bytes no
// data at all, whatever its kind: an empty file, or one whose data all lie beyond the memory.
// The error text, before the board is touched; empty when the file gives the memory something.
// (A text file without a single data record has its own text, given before this one.)
std::string NoDataRefusal(const ImageFileRead& read, std::uint64_t memorySize);

}  // namespace tarpel::files
