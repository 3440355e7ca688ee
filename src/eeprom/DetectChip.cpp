// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/DetectChip.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <optional>

#include "eeprom/ChipMessages.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

namespace {

constexpr std::uint8_t FirstControlByte = 0xA0;
constexpr int ControlBytes = 8;  // bits b3..b1: block bits or address pins
constexpr std::int32_t BlockBytes = 256;

// Bytes compared at each place: random contents agree by chance once in 2^128.
using Window = std::array<std::uint8_t, 16>;
// Reference places inside the first 4 KB, which every two-address-byte chip holds apart.
constexpr int ReferencePlaces = 8;
constexpr std::uint16_t ReferenceStep = 0x200;
constexpr std::uint32_t SmallestTwoByteChip = 4096;
constexpr std::uint32_t AddressSpace = 0x10000;

int CatalogueIndex(std::int32_t size, int wordAddressBytes) {
    for (std::size_t index = 0; index < ChipCatalogue.size(); ++index) {
        const ChipType& chip = ChipCatalogue[index];
        if (chip.size == size && chip.wordAddressBytes == wordAddressBytes) return static_cast<int>(index);
    }
    return -1;
}

bool Uniform(const Window& window) {
    return std::all_of(window.begin(), window.end(), [&](std::uint8_t byte) { return byte == window[0]; });
}

struct SizeRange {
    std::uint32_t smallest;
    std::uint32_t largest;
};

// A chip ignores the address bits above its size, so from its size on every power-of-two
// offset reads the same cells again; below it, the cells are others. Different bytes prove
// that an offset is inside the chip; equal bytes show the wrap only when the bytes compared
// are found nowhere else. Every read here is a random read, which writes nothing.
std::optional<SizeRange> SizeFromContents(link::I2cMaster& master) {
    const link::EepromAddressing twoByte{};
    std::array<Window, ReferencePlaces> references{};
    for (int place = 0; place < ReferencePlaces; ++place) {
        if (!master.EepromReadAt(static_cast<std::uint16_t>(place * ReferenceStep), references[place], twoByte))
            return std::nullopt;
    }
    // A blank chip, or one pattern repeated, has no place that tells itself from the others.
    const auto telling = std::find_if(references.begin(), references.end(), [&](const Window& window) {
        return !Uniform(window) && std::count(references.begin(), references.end(), window) == 1;
    });
    const auto place = telling == references.end() ? 0 : telling - references.begin();
    const auto base = static_cast<std::uint32_t>(place) * ReferenceStep;

    std::uint32_t smallest = SmallestTwoByteChip;
    bool repeatsInside = false;  // equal bytes at an offset that turned out to be inside the chip
    bool repeated = false;
    for (std::uint32_t offset = SmallestTwoByteChip; offset < AddressSpace; offset *= 2) {
        Window window{};
        if (!master.EepromReadAt(static_cast<std::uint16_t>(base + offset), window, twoByte)) return std::nullopt;
        if (window == references[static_cast<std::size_t>(place)]) {
            repeated = true;
        } else {
            smallest = offset * 2;
            repeatsInside = repeatsInside || repeated;
        }
    }
    const bool decided = (telling != references.end() && !repeatsInside) || smallest == AddressSpace;
    return SizeRange{smallest, decided ? smallest : AddressSpace};
}

std::string ControlByteList(std::uint8_t answering) {
    std::string list;
    for (int k = 0; k < ControlBytes; ++k) {
        if ((answering & (1u << k)) == 0) continue;
        char text[8];
        std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(FirstControlByte + 2 * k));
        list += (list.empty() ? "" : " ") + std::string(text);
    }
    return list;
}

}  // namespace

CommandOutcome DetectChip(CommandFrame& frame, ChipDetection& detection) {
    detection = {};
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    link::I2cMaster& master = frame.Master();
    const auto fail = [&](DetectionVerdict verdict, const std::string& text) {
        detection.verdict = verdict;
        detection.smallestIndex = detection.largestIndex = -1;
        frame.StopCommand();
        shell.MessageBox(text, ErrorCaption);
        return CommandOutcome::Failed;
    };
    // With SDA held low every control byte would look acknowledged: a 24C16 out of nothing.
    if (!master.BusFree()) return fail(DetectionVerdict::NoAnswer, SdaHeldLowText);

    // Start, a write control byte and stop: with no word address and no data byte the chip has
    // nothing to write.
    for (int k = 0; k < ControlBytes; ++k) {
        if (master.ControlByteAcknowledged(static_cast<std::uint8_t>(FirstControlByte + 2 * k)))
            detection.answeringControlBytes = static_cast<std::uint8_t>(detection.answeringControlBytes | (1u << k));
    }
    const unsigned answering = detection.answeringControlBytes;
    if (answering == 0) return fail(DetectionVerdict::NoAnswer, NoAckText);

    if (answering == 1) {
        // 0xA0 alone: a chip with two address bytes. (A 24C01 or 24C02, which no list holds,
        // answers so too; it would take the low address byte of the reads as data, and the
        // repeated start that follows ends that write before it could begin.)
        const auto sizes = SizeFromContents(master);
        if (!sizes) return fail(DetectionVerdict::NoAnswer, NoAckText);
        detection.smallestIndex = CatalogueIndex(static_cast<std::int32_t>(sizes->smallest), 2);
        detection.largestIndex = CatalogueIndex(static_cast<std::int32_t>(sizes->largest), 2);
        detection.verdict = sizes->smallest == sizes->largest ? DetectionVerdict::Recognised : DetectionVerdict::Undecided;
    } else {
        // Blocks 0 .. n-1 answer for a one-address-byte chip of n blocks of 256 bytes.
        const int index = std::has_single_bit(answering + 1)
                              ? CatalogueIndex(std::popcount(answering) * BlockBytes, 1)
                              : -1;
        detection.smallestIndex = detection.largestIndex = index;
        detection.verdict = DetectionVerdict::Recognised;
    }
    if (detection.smallestIndex < 0 || detection.largestIndex < 0) {
        detection.verdict = DetectionVerdict::Unlisted;
        return fail(DetectionVerdict::Unlisted, DetectionText(detection));
    }
    frame.StopCommand();
    return CommandOutcome::Done;
}

std::string DetectionText(const ChipDetection& detection) {
    const auto name = [](int index) { return std::string(ChipCatalogue[static_cast<std::size_t>(index)].name); };
    switch (detection.verdict) {
        case DetectionVerdict::NoAnswer: return Tr("No contesta ningun chip");
        case DetectionVerdict::Recognised: {
            // A chip of two address bytes is known by where its contents repeat; a larger one
            // whose contents repeat at that size, with halves alike, reads just the same.
            const auto index = static_cast<std::size_t>(detection.smallestIndex);
            if (detection.answeringControlBytes == 1 && index + 1 < ChipCatalogue.size())
                return shell::Fill(Tr("Memoria detectada: %1, o una mayor que repita su contenido cada %2 bytes "
                                      "(no se pueden distinguir)"),
                                   {name(detection.smallestIndex), ChipCatalogue[index].size});
            return shell::Fill(Tr("Memoria detectada: %1"), {name(detection.smallestIndex)});
        }
        case DetectionVerdict::Undecided:
            return shell::Fill(Tr("Memoria de %1 a %2: su contenido (vacio o un mismo patron repetido) no permite "
                                  "saber cual"),
                               {name(detection.smallestIndex), name(detection.largestIndex)});
        case DetectionVerdict::Unlisted:
            return shell::Fill(Tr("El chip contesta en %1 y no es ninguna memoria de la lista"),
                               {ControlByteList(detection.answeringControlBytes)});
    }
    return {};
}

}  // namespace tarpel::eeprom
