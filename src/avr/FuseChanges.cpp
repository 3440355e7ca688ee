// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/FuseChanges.h"

#include <bit>

#include "avr/FuseLists.h"
#include "avr/FuseMapping.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

void SetBits(std::uint8_t& byte, unsigned mask, unsigned value) {
    byte = static_cast<std::uint8_t>((byte & ~mask) | (value & mask));
}

// A box ticks its fuse programmed (0), except "BOD Level", whose tick leaves the bit at 1.
void SetBox(std::uint8_t& byte, std::uint8_t bit, const std::optional<bool>& ticked, bool tickedIsOne = false) {
    if (ticked) SetBits(byte, bit, *ticked == tickedIsOne ? bit : 0u);
}

void SetList(std::uint8_t& byte, const std::optional<int>& index, std::size_t items, unsigned mask, int shift) {
    if (index && Selected(*index, items)) SetBits(byte, mask, static_cast<unsigned>(*index) << shift);
}

}  // namespace

FuseBytes ApplyFuseChanges(FuseBytes current, const FuseChanges& changes) {
    using namespace fusebits;
    FuseBytes bytes = current;
    if (changes.xtalIndex && Selected(*changes.xtalIndex, ClockOptions.size()))
        SetBits(bytes.low, Cksel, ClockOptions[static_cast<std::size_t>(*changes.xtalIndex)].writtenCksel);
    SetList(bytes.low, changes.sutIndex, SutCaptions.size(), 0x03u << SutShift, SutShift);
    SetBox(bytes.low, BodLevel, changes.bodLevel, true);
    SetBox(bytes.low, Boden, changes.boden);

    SetList(bytes.high, changes.bootSizeIndex, BootSizeCaptions.size(), 0x03u << BootSizeShift, BootSizeShift);
    SetBox(bytes.high, S8515c, changes.s8515c);
    SetBox(bytes.high, Wdton, changes.wdton);
    SetBox(bytes.high, Ckopt, changes.ckopt);
    SetBox(bytes.high, Eesave, changes.eesave);
    SetBox(bytes.high, Bootrst, changes.bootrst);
    SetBits(bytes.high, Spien, 0);  // the serial interface is never cut off
    return bytes;
}

std::vector<FieldChange> ResolveFieldChanges(const FuseLayout& layout, std::string_view device,
                                             const std::vector<std::pair<std::string, std::string>>& fields,
                                             std::string& refusal) {
    std::vector<FieldChange> changes;
    if (layout.panelBits) {
        refusal = shell::Fill(Tr("Los fuses del %1 se cambian con las opciones del panel (--clock, --sut, --boden...), "
                                 "no con --fields!!"),
                              {device});
        return {};
    }
    for (const auto& [name, bits] : fields) {
        const FuseField* field = FieldNamed(layout, name);
        if (!field) {
            std::string names;
            for (const auto& known : layout.fields) names += (names.empty() ? "" : ", ") + std::string(known.name);
            refusal = shell::Fill(Tr("El %1 no tiene ningun fuse %2; los suyos: %3!!"), {device, name, names});
            return {};
        }
        const auto width = static_cast<std::size_t>(std::popcount(field->mask));
        if (bits.size() != width || bits.find_first_not_of("01") != std::string::npos) {
            refusal = shell::Fill(Tr("El fuse %1 se da con %2 cifras 0 o 1 (0 es programado), no con \"%3\"!!"),
                                  {field->name, width, bits});
            return {};
        }
        const auto value = static_cast<unsigned>(std::stoul(bits, nullptr, 2));
        if (field->keptProgrammed && value != 0) {
            refusal = shell::Fill(Tr("%1 = 1 desactiva la programacion serie: el micro ya no se podria programar "
                                     "desde esta placa!!"),
                                  {field->name});
            return {};
        }
        changes.push_back({field, value});
    }
    return changes;
}

FuseBytes ApplyFieldChanges(const FuseLayout& layout, FuseBytes current, const std::vector<FieldChange>& changes) {
    for (const auto& change : changes) current = WithFieldValue(current, *change.field, change.value);
    return KeepingProgrammerIn(layout, current);
}

}  // namespace tarpel::avr
