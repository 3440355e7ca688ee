// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/DeviceFuses.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstdio>

#include "avr/FuseLists.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

// ATmega162 datasheet, "Fuse Bits": the extended byte's bit 0 and bits 7..5 are unused and read 1.
constexpr std::array<FuseField, 13> Atmega162Fields{{
    {"CKDIV8", 0, 0x80},
    {"CKOUT", 0, 0x40},
    {"SUT1:0", 0, 0x30},
    {"CKSEL3:0", 0, 0x0F},
    {"OCDEN", 1, 0x80},
    {"JTAGEN", 1, 0x40},
    {"SPIEN", 1, 0x20, true},
    {"WDTON", 1, 0x10},
    {"EESAVE", 1, 0x08},
    {"BOOTSZ1:0", 1, 0x06},
    {"BOOTRST", 1, 0x01},
    {"M161C", 2, 0x10},
    {"BODLEVEL2:0", 2, 0x0E},
}};

// ATmega162 datasheet, "Device Clocking Options Select". The reserved values select nothing the
// datasheet promises to run on, so they are asked about as the crystals are.
constexpr std::array<ClockSource, 7> Atmega162Clocks{{
    {0, 0, "External", false},
    {1, 1, TrNoop("Reservado"), true},
    {2, 2, "IntRC: 8 Mhz", false},
    {3, 3, TrNoop("Reservado"), true},
    {4, 5, "LowFrecXTL", true},
    {6, 7, TrNoop("Reservado"), true},
    {8, 15, "Extrnal XTAL", true},
}};

constexpr FuseLayout Atmega8515Layout{2, true, {}, {}};
constexpr FuseLayout Atmega162Layout{3, false, Atmega162Fields, Atmega162Clocks};

static_assert([] {
    // Every CKSEL value belongs to exactly one source, in order.
    int next = 0;
    for (const auto& clock : Atmega162Clocks) {
        if (clock.lowestCksel != next || clock.highestCksel < clock.lowestCksel) return false;
        next = clock.highestCksel + 1;
    }
    return next == 16;
}());

}  // namespace

const FuseLayout* FuseLayoutOf(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::ATmega8515:
            return &Atmega8515Layout;
        case DeviceKind::ATmega162:
            return &Atmega162Layout;
        default:
            return nullptr;
    }
}

std::optional<DeviceKind> DeviceWithFuseBytes(std::size_t byteCount) {
    for (const auto& device : DeviceTable) {
        const FuseLayout* layout = FuseLayoutOf(device.kind);
        if (layout && !layout->panelBits && static_cast<std::size_t>(layout->byteCount) == byteCount)
            return device.kind;
    }
    return std::nullopt;
}

ClockSource ClockSourceOf(const FuseLayout& layout, std::uint8_t cksel) {
    cksel &= 0x0F;
    for (const auto& clock : layout.clocks) {
        if (cksel >= clock.lowestCksel && cksel <= clock.highestCksel) return clock;
    }
    const ClockOption& option = ClockOptions[static_cast<std::size_t>(ClockIndexOfCksel(cksel))];
    return {option.lowestCksel, option.highestCksel, option.caption, option.needsOscillatorParts};
}

FuseBytes ReadDeviceFuses(link::AvrLink& link, const FuseLayout& layout) {
    FuseBytes bytes{link.ReadFuseLow(), link.ReadFuseHigh()};
    if (layout.byteCount == 3) bytes.extended = link.ReadFuseExtended();
    return bytes;
}

std::optional<FuseBytes> FuseBytesOf(std::span<const std::uint8_t> section) {
    if (section.size() == 2) return FuseBytes{section[0], section[1]};
    if (section.size() == 3) return FuseBytes{section[0], section[1], section[2]};
    return std::nullopt;
}

std::vector<std::uint8_t> FuseSection(FuseBytes bytes) {
    std::vector<std::uint8_t> section{bytes.low, bytes.high};
    if (bytes.extended) section.push_back(*bytes.extended);
    return section;
}

std::string FuseBytesText(FuseBytes bytes) {
    char text[48];
    if (bytes.extended) {
        std::snprintf(text, sizeof text, "FuseLow $%02X FuseHigh $%02X FuseExt $%02X", bytes.low, bytes.high,
                      *bytes.extended);
    } else {
        std::snprintf(text, sizeof text, "FuseLow $%02X FuseHigh $%02X", bytes.low, bytes.high);
    }
    return text;
}

unsigned FieldValue(FuseBytes bytes, const FuseField& field) {
    const std::array<std::uint8_t, 3> byte{bytes.low, bytes.high, bytes.extended.value_or(0xFF)};
    return static_cast<unsigned>(byte[static_cast<std::size_t>(field.byte)] & field.mask) >>
           std::countr_zero(field.mask);
}

FuseBytes WithFieldValue(FuseBytes bytes, const FuseField& field, unsigned value) {
    std::uint8_t fallback = 0xFF;
    std::uint8_t& byte = field.byte == 0 ? bytes.low : field.byte == 1 ? bytes.high
                                                     : (bytes.extended ? *bytes.extended : fallback);
    byte = static_cast<std::uint8_t>((byte & ~field.mask) | ((value << std::countr_zero(field.mask)) & field.mask));
    return bytes;
}

std::string FieldValueText(const FuseLayout& layout, const FuseField& field, unsigned value) {
    std::string text;
    for (int bit = std::popcount(field.mask) - 1; bit >= 0; --bit) text += ((value >> bit) & 1) ? '1' : '0';
    // The clock field also names its source, as the warning before writing it does.
    if (field.byte == 0 && field.mask == 0x0F)
        text += " (" + std::string(Tr(ClockSourceOf(layout, static_cast<std::uint8_t>(value)).caption.data())) + ")";
    return text;
}

const FuseField* FieldNamed(const FuseLayout& layout, std::string_view name) {
    const auto same = [](std::string_view a, std::string_view b) {
        return std::ranges::equal(a, b, [](char x, char y) { return std::toupper(static_cast<unsigned char>(x)) ==
                                                                     std::toupper(static_cast<unsigned char>(y)); });
    };
    for (const auto& field : layout.fields) {
        const std::string_view bare = field.name.find(':') == std::string_view::npos
                                          ? field.name
                                          : field.name.substr(0, field.name.find_last_not_of("0123456789:") + 1);
        if (same(name, field.name) || same(name, bare)) return &field;
    }
    return nullptr;
}

FuseBytes KeepingProgrammerIn(const FuseLayout& layout, FuseBytes bytes) {
    for (const auto& field : layout.fields)
        if (field.keptProgrammed) bytes = WithFieldValue(bytes, field, 0);
    return bytes;
}

std::string FuseFieldsText(const FuseLayout& layout, FuseBytes bytes) {
    std::string text;
    for (const auto& field : layout.fields)
        text += std::string(field.name) + " = " + FieldValueText(layout, field, FieldValue(bytes, field)) + '\n';
    return text;
}

}  // namespace tarpel::avr
