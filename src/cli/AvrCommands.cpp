#include "cli/AvrCommands.h"

#include <ostream>
#include <string>

#include "avr/CommandFrame.h"
#include "avr/EraseChip.h"
#include "avr/IdentifyMicro.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/ReprogramFlash.h"
#include "cli/CommandContext.h"

namespace tarpel::cli {

namespace {

// lbTipo of the console: the device each command identifies, on standard output.
class ConsoleDeviceView final : public avr::AvrView {
public:
    explicit ConsoleDeviceView(std::ostream& out) : out_(out) {}
    void SetDeviceCaption(std::string_view caption) override {
        // The window clears its label before identifying; the console has nothing to clear.
        if (caption != "??") out_ << "Tipo de micro: " << caption << '\n';
    }

private:
    std::ostream& out_;
};

using Run = avr::CommandOutcome (*)(avr::CommandFrame&);
using RunWithFile = avr::CommandOutcome (*)(avr::CommandFrame&, const std::string&);

int ExitStatus(avr::CommandOutcome outcome) {
    return outcome == avr::CommandOutcome::Done ? ExitSuccess : ExitFailure;
}

int RunOnFrame(CommandContext& context, Run run) {
    ConsoleDeviceView view(context.out);
    avr::CommandFrame frame(context.lines, context.clock(), context.shell, view);
    return ExitStatus(run(frame));
}

int RunOnFrame(CommandContext& context, RunWithFile run) {
    ConsoleDeviceView view(context.out);
    avr::CommandFrame frame(context.lines, context.clock(), context.shell, view);
    return ExitStatus(run(frame, context.arguments.front()));
}

Command PlainCommand(const char* name, const char* summary, Run run) {
    return {.group = "avr",
            .name = name,
            .arguments = "",
            .summary = summary,
            .minArguments = 0,
            .maxArguments = 0,
            .options = {},
            .run = [run](CommandContext& context) { return RunOnFrame(context, run); }};
}

Command FileCommand(const char* name, const char* summary, RunWithFile run) {
    return {.group = "avr",
            .name = name,
            .arguments = "FICHERO",
            .summary = summary,
            .minArguments = 1,
            .maxArguments = 1,
            .options = {},
            .run = [run](CommandContext& context) { return RunOnFrame(context, run); }};
}

}  // namespace

void RegisterAvrCommands(CommandTable& table) {
    table.Add(PlainCommand("identify", "identifica el micro del zocalo y muestra su tipo", avr::IdentifyMicro));
    table.Add(PlainCommand("erase", "borra la flash y la eeprom interna del micro", avr::EraseChip));
    table.Add(FileCommand("write-flash", "programa la flash con FICHERO (.hex o .bin); borrela antes",
                          avr::ProgramFlashFrom));
    table.Add(FileCommand("write-eeprom", "programa la eeprom interna con FICHERO (.hex o .bin)",
                          avr::ProgramEepromFrom));
    table.Add(FileCommand("reprogram-flash", "borra el micro y programa la flash con FICHERO (.hex o .bin)",
                          avr::ReprogramFlashFrom));
}

}  // namespace tarpel::cli
