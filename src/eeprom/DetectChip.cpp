// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/DetectChip.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <optional>
#include <vector>

#include "eeprom/ChipMessages.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

namespace {

constexpr std::uint8_t FirstControlByte = 0xA0;
constexpr int ControlBytes = 8;  // bits b3..b1: block bits or address pins
constexpr std::int32_t BlockBytes = 256;
constexpr std::int32_t LargeBlockBytes = 0x10000;  // what A16 (A17) select on a 128 (256) KiB chip
constexpr std::size_t SmallOneByteChip = 256;      // the 24C02; the 24C01 holds half

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

// A sequential read of `count` bytes from address 0 in the two-byte form, which every chip takes
// without writing: a one-byte chip sees the low address byte as a data byte, and the repeated
// start that follows drops it before any write could begin (and may leave its counter one on,
// which shifts the bytes but not where they repeat).
std::optional<std::vector<std::uint8_t>> ReadFromStart(link::I2cMaster& master, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    if (!master.EepromReadAt(0, bytes, link::EepromAddressing{})) return std::nullopt;
    return bytes;
}

// True when the bytes read start over after `period` bytes, as a chip of that size does when its
// counter rolls over.
bool RepeatsEvery(const std::vector<std::uint8_t>& bytes, std::size_t period) {
    return std::equal(bytes.begin() + static_cast<std::ptrdiff_t>(period), bytes.end(), bytes.begin());
}

bool AllAlike(const std::vector<std::uint8_t>& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t byte) { return byte == bytes.front(); });
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
        // 0xA0 alone: a 24C01 or 24C02 (one address byte, no block bits), or a chip with two
        // address bytes. The small ones roll over after 128 or 256 bytes; the others repeat no
        // sooner than at 4 KB, so their size comes from where their contents repeat.
        const auto start = ReadFromStart(master, 3 * SmallOneByteChip);
        if (!start) return fail(DetectionVerdict::NoAnswer, NoAckText);
        const bool alike = AllAlike(*start);
        const std::int32_t period = alike                                 ? 0
                                    : RepeatsEvery(*start, SmallOneByteChip / 2) ? SmallOneByteChip / 2
                                    : RepeatsEvery(*start, SmallOneByteChip)     ? SmallOneByteChip
                                                                                  : 0;
        if (period != 0) {
            detection.smallestIndex = detection.largestIndex = CatalogueIndex(period, 1);
            detection.verdict = DetectionVerdict::Recognised;
        } else {
            const auto sizes = SizeFromContents(master);
            if (!sizes) return fail(DetectionVerdict::NoAnswer, NoAckText);
            // Contents alike from the start on that prove no size past 4 KB fit a 24C01 as well.
            detection.smallestIndex = alike && sizes->smallest == SmallestTwoByteChip
                                          ? 0
                                          : CatalogueIndex(static_cast<std::int32_t>(sizes->smallest), 2);
            detection.largestIndex = CatalogueIndex(static_cast<std::int32_t>(sizes->largest), 2);
            detection.verdict = detection.smallestIndex == detection.largestIndex ? DetectionVerdict::Recognised
                                                                                  : DetectionVerdict::Undecided;
        }
    } else {
        // Blocks 0 .. n-1 answer for a one-address-byte chip of n blocks of 256 bytes, and for a
        // 128 (256) KiB chip whose A16 (A17) take the same control-byte bits: the one-byte chip
        // rolls over at its end, the large one reads on.
        const int index = std::has_single_bit(answering + 1)
                              ? CatalogueIndex(std::popcount(answering) * BlockBytes, 1)
                              : -1;
        const int large = std::has_single_bit(answering + 1)
                              ? CatalogueIndex(std::popcount(answering) * LargeBlockBytes, 2)
                              : -1;
        detection.smallestIndex = detection.largestIndex = index;
        detection.verdict = DetectionVerdict::Recognised;
        if (index >= 0 && large >= 0) {
            const auto size = static_cast<std::size_t>(ChipCatalogue[static_cast<std::size_t>(index)].size);
            const auto start = ReadFromStart(master, size + sizeof(Window));
            if (!start) return fail(DetectionVerdict::NoAnswer, NoAckText);
            if (AllAlike(*start)) {
                detection.largestIndex = large;
                detection.verdict = DetectionVerdict::Undecided;
            } else if (!RepeatsEvery(*start, size)) {
                detection.smallestIndex = detection.largestIndex = large;
            }
        }
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
        case DetectionVerdict::NoAnswer:
            // The one large part people try that cannot answer here, named where it ends up.
            return Tr("No contesta ningun chip (un 24LC1025 nunca contesta en esta placa: necesita su patilla A2 a "
                      "nivel alto y la placa la pone a masa)");
        case DetectionVerdict::Recognised: {
            // A chip of two address bytes is known by where its contents repeat; a larger one
            // whose contents repeat at that size, with halves alike, reads just the same.
            const auto index = static_cast<std::size_t>(detection.smallestIndex);
            // The 128 and 256 KiB chips answer on more than 0xA0, so none of them reads so.
            if (detection.answeringControlBytes == 1 && index + 1 < ChipCatalogue.size() &&
                ChipCatalogue[index + 1].size <= 0x10000)
                return shell::Fill(Tr("Memoria detectada: %1, o una mayor que repita su contenido cada %2 bytes "
                                      "(no se pueden distinguir)"),
                                   {name(detection.smallestIndex), ChipCatalogue[index].size});
            return shell::Fill(Tr("Memoria detectada: %1"), {name(detection.smallestIndex)});
        }
        case DetectionVerdict::Undecided:
            // Answering on more than 0xA0: a one-byte chip or the large chip of the same blocks.
            if (detection.answeringControlBytes != 1)
                return shell::Fill(Tr("Memoria %1 o %2: su contenido (vacio o un mismo patron repetido) no permite "
                                      "saber cual"),
                                   {name(detection.smallestIndex), name(detection.largestIndex)});
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
