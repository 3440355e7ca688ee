// SPDX-License-Identifier: GPL-2.0-or-later
// "Produccion..." on both pages: the dialog gets what a chip means on its page, a whole AVR or
// the 24Cxx chosen in the list, each chip run as one command of the window.
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "avr/DeviceProgram.h"
#include "avr/StepRecord.h"
#include "eeprom/ChipCommands.h"
#include "ui/ImageHistory.h"
#include "ui/ModalRunner.h"
#include "ui/TVentana.h"

namespace tarpel::ui {

void TVentana::ConnectProductionHandlers() {
    connect(avrPage.btnProduccion, &QPushButton::clicked, this, &TVentana::btnProduccionClick);
    connect(eepromPage.ToolButtonProduccion, &QToolButton::clicked, this, &TVentana::ToolButtonProduccionClick);
}

void TVentana::btnProduccionClick() {
    RunProduction({true, QStringLiteral("PRODUCCION_AVR_"),
                   [this](const TformProduccion::Files& files, const production::PlacedSerial* serial) {
                       return ProduceAvrChip(files, serial);
                   }});
}

void TVentana::ToolButtonProduccionClick() {
    // Each chip's image goes through the page's image: typed bytes would be lost.
    if (!MayDropEdits()) return;
    RunProduction({false, QStringLiteral("PRODUCCION_24CXXX_"),
                   [this](const TformProduccion::Files& files, const production::PlacedSerial* serial) {
                       return ProduceEepromChip(files, serial);
                   }});
}

void TVentana::RunProduction(const TformProduccion::Page& page) {
    if (commandRunning_) return;
    const auto now = [this] {
        std::int64_t frequency = 1;
        clock_.QueryPerformanceFrequency(frequency);
        return static_cast<double>(clock_.QueryPerformanceCounter()) / static_cast<double>(frequency);
    };
    TformProduccion dialog(page, {settings_, shell_, nextChip_, now, boardDescription_.toStdString()}, this);
    modalRunner_.Exec(dialog);
}

production::ChipResult TVentana::ProduceAvrChip(const TformProduccion::Files& files,
                                                const production::PlacedSerial* serial) {
    avr::ProgramRequest request{files.file, files.eepromFile, files.lock, std::nullopt, std::nullopt};
    if (serial)
        (serial->place.memory == production::SerialMemory::Flash ? request.flashPatch : request.eepromPatch) =
            avr::ImagePatch{serial->place.address, serial->bytes};
    avr::StepRecord steps;
    production::ChipResult result;
    RunAvrCommand(
        [&] {
            const auto outcome = avr::ProgramDeviceFrom(avrFrame_, request, &steps);
            result.good = outcome == shell::CommandOutcome::Done;
            return outcome;
        },
        TrQ("Produccion"));
    const QString device = avrPage.lbTipo->text();
    if (device != QStringLiteral("??")) result.device = device.toStdString();
    result.steps = steps.Steps();
    return result;
}

production::ChipResult TVentana::ProduceEepromChip(const TformProduccion::Files& files,
                                                   const production::PlacedSerial* serial) {
    // The patch of a run without serial numbers puts nothing over the file's image.
    const files::ImagePatch patch =
        serial ? files::ImagePatch{serial->place.address, serial->bytes} : files::ImagePatch{0, {}};
    ImageHistory::State before = history_->Capture();
    production::ChipResult result;
    result.device = workspace_.Chip().name;
    RunCommand(
        [&] {
            const auto outcome = eeprom::ProgramChipFrom(eepromFrame_, files.file, patch);
            result.good = outcome == shell::CommandOutcome::Done;
            return outcome;
        },
        TrQ("Produccion"));
    history_->Replaced(std::move(before), TrQ("Produccion"), workspace_.ChipSize);
    if (result.good) history_->Stored();
    result.steps = std::string("grabacion:") + (result.good ? "ok" : Tr("fallo"));
    return result;
}

}  // namespace tarpel::ui
