// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/AvrReadCommands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>

#include "avr/BlankTest.h"
#include "avr/ChangeFuses.h"
#include "avr/CommandFrame.h"
#include "avr/DeviceFuses.h"
#include "avr/FuseFile.h"
#include "avr/FuseLists.h"
#include "avr/FuseMapping.h"
#include "avr/ReadFuses.h"
#include "avr/ReadMemory.h"
#include "avr/VerifyMemory.h"
#include "cli/AvrConsole.h"
#include "cli/BackupOption.h"
#include "cli/CommandContext.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

// The fuse panel of read-fuses: what "Leer" shows is kept for the printout.
class OptionFusePanel final : public avr::FusePanel {
public:
    avr::FuseSettings settings;
    avr::FuseSettings Settings() const override { return settings; }
    void ShowSettings(const avr::FuseSettings& shown) override { settings = shown; }
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string Choices(std::span<const std::string_view> captions) {
    std::string text;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        text += (i ? ", " : "") + std::to_string(i) + " \"" + std::string(captions[i]) + "\"";
    }
    return text;
}

std::string Hex(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// The panel's lists and check boxes as options, in the panel's order, each with the change it
// names.
struct ListOption {
    const char* name;
    const avr::FusePanelList& list;
    std::optional<int> avr::FuseChanges::*change;
};

struct BoxOption {
    const char* name;  // ticks the box; "no-" before it clears it
    const avr::FusePanelBox& box;
    std::optional<bool> avr::FuseChanges::*change;
};

const std::array<ListOption, 3> ListOptions{{
    {"clock", avr::FusePanelLists[0], &avr::FuseChanges::xtalIndex},
    {"sut", avr::FusePanelLists[1], &avr::FuseChanges::sutIndex},
    {"boot-size", avr::FusePanelLists[2], &avr::FuseChanges::bootSizeIndex},
}};

// "Hab. prog. serie" has none: SPIEN is never written otherwise than programmed.
const std::array<BoxOption, 7> BoxOptions{{
    {"boden", avr::FusePanelBoxes[0], &avr::FuseChanges::boden},
    {"bod-level", avr::FusePanelBoxes[1], &avr::FuseChanges::bodLevel},
    {"s8515c", avr::FusePanelBoxes[2], &avr::FuseChanges::s8515c},
    {"wdton", avr::FusePanelBoxes[3], &avr::FuseChanges::wdton},
    {"ckopt", avr::FusePanelBoxes[5], &avr::FuseChanges::ckopt},
    {"eesave", avr::FusePanelBoxes[6], &avr::FuseChanges::eesave},
    {"bootrst", avr::FusePanelBoxes[7], &avr::FuseChanges::bootrst},
}};

// The bytes, one a line, then what they mean: the panel's controls for a device with the
// panel's bits, the fields of the device's own table otherwise.
std::string FuseBytesLines(const avr::FuseBytes& bytes) {
    std::string text = "FuseLow: " + Hex(bytes.low) + "\nFuseHigh: " + Hex(bytes.high) + '\n';
    if (bytes.extended) text += "FuseExt: " + Hex(*bytes.extended) + '\n';
    return text;
}

std::string FuseMeaning(const avr::FuseLayout* layout, const avr::FuseBytes& bytes) {
    if (!layout || layout->panelBits) return FuseSettingsText(avr::SettingsFromFuses(bytes.low, bytes.high));
    return avr::FuseFieldsText(*layout, bytes);
}

int ReadFusesCommand(CommandContext& context) {
    OptionFusePanel panel;
    avr::FuseMemory memory;
    const avr::FuseLayout* layout = nullptr;
    const int status = RunAvr(context, [&](avr::CommandFrame& frame) {
        const shell::CommandOutcome outcome = avr::ReadFuses(frame, panel, memory);
        layout = avr::FuseLayoutOf(frame.Device().kind);  // known once the command identified it
        return outcome;
    });
    if (status != ExitSuccess || !memory.Known()) return status;
    context.out << FuseBytesLines(*memory.Known()) << FuseMeaning(layout, *memory.Known());
    return status;
}

// Prints what was there and what is there now, once the bytes were written (or had not to be).
int ReportFuseUpdate(CommandContext& context, int status, const avr::FuseUpdate& update) {
    if (status != ExitSuccess || !update.before || !update.after) return status;
    context.out << "FuseLow: " << Hex(update.before->low) << " -> " << Hex(update.after->low) << '\n'
                << "FuseHigh: " << Hex(update.before->high) << " -> " << Hex(update.after->high) << '\n';
    if (update.before->extended && update.after->extended)
        context.out << "FuseExt: " << Hex(*update.before->extended) << " -> " << Hex(*update.after->extended) << '\n';
    if (*update.before == *update.after) context.out << Tr("Sin cambios: no se ha grabado nada\n");
    return status;
}

// --from: the .fuse section of an avr-gcc program, shown as the panel would show it before the
// device is touched; a file that gives no bytes to write never reaches the board.
int WriteFusesFromFile(CommandContext& context, const std::string& fileName) {
    const avr::FuseFile file = avr::ReadFuseFile(fileName);
    if (!file.error.empty()) {
        context.shell.MessageBox(file.error, "ERROR");
        return ExitFailure;
    }
    // Three bytes are the ATmega162's: shown by its table before the device is identified.
    const auto kind = file.bytes.extended ? avr::DeviceWithFuseBytes(3) : std::optional<avr::DeviceKind>{};
    context.out << shell::Fill(Tr("Fuses de %1:"), {fileName}) << '\n'
                << FuseBytesLines(file.bytes) << FuseMeaning(kind ? avr::FuseLayoutOf(*kind) : nullptr, file.bytes);
    context.shell.AnswerYes(context.HasOption("force"));
    avr::FuseUpdate update;
    const int status =
        RunAvr(context, [&](avr::CommandFrame& frame) { return avr::WriteFileFuses(frame, file, update); });
    return ReportFuseUpdate(context, status, update);
}

int MixedFieldsError(CommandContext& context, const std::string& name) {
    context.shell.MessageBox(shell::Fill(Tr("--fields no puede ir junto a --%1"), {name}), "ERROR");
    return ExitUsage;
}

int WriteFusesCommand(CommandContext& context) {
    if (const auto from = context.Option("from")) {
        // The file gives every bit: an option beside it would be overwritten without a word.
        for (const auto& [name, value] : context.options) {
            if (name != "from" && name != "force") {
                context.shell.MessageBox(shell::Fill(Tr("--from no puede ir junto a --%1"), {name}), "ERROR");
                return ExitUsage;
            }
        }
        return WriteFusesFromFile(context, *from);
    }
    avr::FuseChanges changes;
    if (const auto fields = context.Option("fields")) {
        // A device's own fields; the panel's options are the ATmega8515's and do not mix with them.
        for (const auto& [name, list, change] : ListOptions)
            if (context.HasOption(name)) return MixedFieldsError(context, name);
        for (const auto& [name, box, change] : BoxOptions)
            if (context.HasOption(name) || context.HasOption("no-" + std::string(name)))
                return MixedFieldsError(context, context.HasOption(name) ? name : "no-" + std::string(name));
        std::size_t at = 0;
        while (at <= fields->size()) {
            const std::size_t end = std::min(fields->find(',', at), fields->size());
            const std::string item = fields->substr(at, end - at);
            const std::size_t equals = item.find('=');
            if (equals == std::string::npos || equals == 0) {
                context.shell.MessageBox(
                    shell::Fill(Tr("--fields %1: cada fuse se da como NOMBRE=BITS, por ejemplo CKDIV8=1,SUT1:0=10"),
                                {*fields}),
                    "ERROR");
                return ExitUsage;
            }
            changes.fields.emplace_back(item.substr(0, equals), item.substr(equals + 1));
            at = end + 1;
        }
    }
    for (const auto& [name, list, change] : ListOptions) {
        const auto value = context.Option(name);
        if (!value) continue;  // left as the device has it
        const auto index = ListItemIndex(*value, list.captions);
        if (!index) {
            context.shell.MessageBox(shell::Fill(Tr("--%1 %2 no es ninguna opcion de la lista: %3"),
                                                 {name, *value, Choices(list.captions)}),
                                     "ERROR");
            return ExitUsage;
        }
        changes.*change = *index;
    }
    for (const auto& [name, box, change] : BoxOptions) {
        const std::string tick = name, clear = "no-" + tick;
        if (context.HasOption(tick) && context.HasOption(clear)) {
            context.shell.MessageBox(shell::Fill(Tr("--%1 y --%2 no pueden ir juntas"), {tick, clear}), "ERROR");
            return ExitUsage;
        }
        if (context.HasOption(tick) || context.HasOption(clear)) changes.*change = context.HasOption(tick);
    }
    context.shell.AnswerYes(context.HasOption("force"));
    avr::FuseUpdate update;
    const int status =
        RunAvr(context, [&](avr::CommandFrame& frame) { return avr::ChangeFuses(frame, changes, update); });
    return ReportFuseUpdate(context, status, update);
}

std::vector<CommandOption> WriteFusesOptions() {
    std::vector<CommandOption> options;
    for (const auto& [name, list, change] : ListOptions) {
        options.push_back({name, Tr("OPCION"),
                           shell::Fill(Tr("\"%1\" por texto o numero: %2"),
                                       {Tr(list.label.data()), Choices(list.captions)})});
    }
    for (const auto& [name, box, change] : BoxOptions) {
        const std::string caption = Tr(box.caption.data());
        options.push_back({name, "", shell::Fill(Tr("marca \"%1\""), {caption})});
        options.push_back({std::string("no-") + name, "", shell::Fill(Tr("desmarca \"%1\""), {caption})});
    }
    options.push_back({"fields", Tr("LISTA"),
                       Tr("cambia los fuses de un micro con tabla propia (ATmega162) por sus nombres en la hoja de "
                          "datos, con sus bits (0 es programado): CKDIV8=1,BODLEVEL2:0=101")});
    options.push_back({"from", Tr("FICHERO"),
                       Tr("graba los bytes de la seccion .fuse de FICHERO (.elf de avr-gcc: dos del ATmega8515, tres "
                          "del ATmega162) en lugar de cambiar los que nombran las opciones")});
    options.push_back({"force", "", Tr("contesta Si al aviso de un reloj que necesita cristal o red RC en XTAL1")});
    return options;
}

}  // namespace

std::optional<int> ListItemIndex(std::string_view value, std::span<const std::string_view> captions) {
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (Lower(value) == Lower(captions[i])) return static_cast<int>(i);
    }
    if (!value.empty() && std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); })) {
        if (value.size() <= 3) {
            const int number = std::stoi(std::string(value));
            if (number < static_cast<int>(captions.size())) return number;
        }
    }
    return std::nullopt;
}

std::string FuseSettingsText(const avr::FuseSettings& settings) {
    std::string text;
    for (const auto& list : avr::FusePanelLists) {
        const int index = settings.*list.index;
        const auto& captions = list.captions;
        text += std::string(Tr(list.label.data())) + " " +
                (avr::Selected(index, captions.size()) ? std::string(captions[static_cast<std::size_t>(index)])
                                                       : std::string(Tr("(sin seleccion)"))) +
                "\n";
    }
    for (const auto& box : avr::FusePanelBoxes) {
        text += std::string(settings.*box.checked ? "[x] " : "[ ] ") + std::string(Tr(box.caption.data())) + "\n";
    }
    return text;
}

void RegisterAvrReadCommands(CommandTable& table) {
    table.Add(
        AvrFileCommand("read-flash", Tr("lee la flash y la guarda en FICHERO (.hex, .bin o .srec)"), avr::ReadFlashTo));
    table.Add(AvrFileCommand("read-eeprom", Tr("lee la eeprom interna y la guarda en FICHERO (.hex, .bin o .srec)"),
                             avr::ReadEepromTo));
    table.Add(AvrFileCommand("verify-flash", Tr("compara la flash con FICHERO (.hex, .bin, .srec o .elf)"),
                             avr::VerifyFlashWith));
    table.Add(AvrFileCommand("verify-eeprom", Tr("compara la eeprom interna con FICHERO (.hex, .bin, .srec o .elf)"),
                             avr::VerifyEepromWith));
    table.Add(AvrCommand("blank-test", Tr("comprueba que la flash y la eeprom interna estan vacias"), avr::BlankTest));
    table.Add({.group = "avr",
               .name = "read-fuses",
               .summary = Tr("lee los fusibles del ATmega8515 y los muestra como el panel, o los del ATmega162 "
                             "bit a bit"),
               .run = ReadFusesCommand});
    table.Add(WithAvrBackup({.group = "avr",
                             .name = "write-fuses",
                             .summary = Tr("cambia los fusibles del ATmega8515 que nombran las opciones"),
                             .options = WriteFusesOptions(),
                             .run = WriteFusesCommand}));
}

}  // namespace tarpel::cli
