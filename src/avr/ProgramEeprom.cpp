// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ProgramEeprom.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "avr/CommandEntry.h"
#include "avr/FileImage.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view WriteFailed = TrNoop("Error de comunicacion con Atmel... (direccion $%1)");
constexpr std::string_view WrittenUpTo = TrNoop("eeprom interna grabada hasta la direccion $%1");
constexpr int ReadBacks = 4000;
// Datasheets: 9 ms per EEPROM byte on the ATmega8515 and the ATmega162, 4 to 9 ms on the AT90S devices.
constexpr std::uint32_t UnpollableByteMs = 12;

CommandOutcome LoadAndProgram(CommandFrame& frame, const std::string& fileName, const ImagePatch* patch = nullptr) {
    FileImage image = LoadFileImage(fileName, EepromImageLimits);
    if (patch && image.load == ImageLoad::Loaded && !ApplyPatch(image, *patch)) {
        ReportPatchBeyond(frame.Shell(), *patch, EepromImageLimits);
        return CommandOutcome::Failed;
    }
    if (!ReportFileImage(frame.Shell(), image, EepromImageLimits)) return CommandOutcome::Failed;
    return ProgramEepromImage(frame, image);
}

}  // namespace

CommandOutcome ProgramEepromImage(CommandFrame& frame, const FileImage& image) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return frame.StartOutcome();
    }
    if (!CheckImageFits(frame, image, EepromImageLimits, frame.EepromSize())) return CommandOutcome::Failed;
    if (!CheckFileDevice(frame, image.signature)) return CommandOutcome::Failed;
    link::AvrLink& link = frame.Link();
    const auto& busyAnswers = frame.Device().eepromBusyAnswers;
    const int size = frame.EepromSize();
    if (frame.StopBeforeWriting()) return frame.StoppedOutcome();
    for (int a = 0; a < size; ++a) {
        const std::uint8_t v = image.bytes[static_cast<std::size_t>(a)];
        link.WriteEepromByte(a, v);
        bool written = false;
        if (std::find(busyAnswers.begin(), busyAnswers.end(), v) != busyAnswers.end()) {
            // Read back once the write is surely over: a byte that did not take would otherwise
            // pass unseen.
            frame.Clock().Sleep(UnpollableByteMs);
            written = link.ReadEepromByte(a) == v;
        } else {
            for (int i = 0; i < ReadBacks && !written; ++i) written = link.ReadEepromByte(a) == v;
        }
        if (!written) {
            frame.StopCommand();
            frame.Shell().MessageBox(AtAddress(WriteFailed, a), ErrorCaption);
            return CommandOutcome::Failed;
        }
        if (frame.ShowProgress(shell::Gauge::Eeprom, a, size)) {
            frame.StopCommand();
            frame.NoteWritten(AtAddress(WrittenUpTo, a));
            return frame.StoppedOutcome();
        }
    }
    frame.StopCommand();
    frame.View().MemoryContentsKnown(std::span(image.bytes).first(static_cast<std::size_t>(size)));
    frame.Shell().Report(shell::Fill(Tr("Eeprom interna programada y comprobada: %1 bytes"),
                                     {shell::CountText(static_cast<std::uint64_t>(size))}));
    return CommandOutcome::Done;
}

CommandOutcome ProgramEeprom(CommandFrame& frame) {
    return RunOnChosenFile(frame, OpenDialog,
                           [&](const std::string& fileName) { return LoadAndProgram(frame, fileName); });
}

CommandOutcome ProgramEepromFrom(CommandFrame& frame, const std::string& fileName) {
    return RunCommand(frame, [&] { return LoadAndProgram(frame, fileName); });
}

CommandOutcome ProgramEepromFrom(CommandFrame& frame, const std::string& fileName, const ImagePatch& patch) {
    return RunCommand(frame, [&] { return LoadAndProgram(frame, fileName, &patch); });
}

}  // namespace tarpel::avr
