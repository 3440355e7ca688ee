// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ProgramFlash.h"

#include <algorithm>
#include <span>
#include <string>
#include <string_view>

#include "avr/CommandEntry.h"
#include "avr/FileImage.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view ByteWriteFailed =
    TrNoop("Error de comunicacion con Atmel, o intento de grabar flash sin borrar antes... (direccion $%1)");
constexpr std::string_view PageWriteFailed = TrNoop("Error programando flash! (direccion $%1)");
constexpr std::string_view WrittenUpTo = TrNoop("flash grabada hasta la direccion $%1");
constexpr int ByteModeReadBacks = 5000;
constexpr int PageModeReadBacks = 4000;
// While an AT90S writes a flash byte it answers reads with 0x7F, so 0x7F (and 0x80, kept for
// safety) cannot be told from "busy": those writes are waited out. The datasheets give 4 to
// 9 ms per write.
constexpr std::uint32_t UnpollableByteMs = 12;
// A page whose first byte is 0xFF cannot be polled at that byte (the ATmega answers 0xFF while
// busy); its write, 4.5 ms by the datasheet, is waited out.
constexpr std::uint32_t UnpollablePageMs = 8;

// Ends the command at a write that did not take: every line off, then the message naming the
// address.
CommandOutcome WriteFailed(CommandFrame& frame, std::string_view message, int address, bool plain) {
    frame.StopCommand();
    const std::string text = AtAddress(message, address);
    if (plain) {
        frame.Shell().ShowMessage(text);
    } else {
        frame.Shell().MessageBox(text, ErrorCaption);
    }
    return CommandOutcome::Failed;
}

CommandOutcome ProgramBytes(CommandFrame& frame, std::span<const std::uint8_t> image) {
    link::AvrLink& link = frame.Link();
    const int size = frame.FlashSize();
    int lastWritten = -1;
    for (int a = 0; a < size; ++a) {
        const std::uint8_t v = image[static_cast<std::size_t>(a)];
        if (v != 0xFF) {  // the erased value needs no write
            link.WriteFlashByte(a, v);
            lastWritten = a;
            bool written = false;
            if (v == 0x80 || v == 0x7F) {
                // Read back once the write is surely over: a cell that did not take (not erased
                // before, or faulty) would otherwise pass unseen.
                frame.Clock().Sleep(UnpollableByteMs);
                written = link.ReadFlashByte(a) == v;
            } else {
                // The fast timing polls back to back, as the page mode does: each read-back takes
                // about half a millisecond on the port already.
                for (int i = 0; i < ByteModeReadBacks && !written; ++i) {
                    written = link.ReadFlashByte(a) == v;
                    if (!written && !link.FastTiming()) frame.Clock().Sleep(1);
                }
            }
            if (!written) return WriteFailed(frame, ByteWriteFailed, a, false);
        }
        if (frame.ShowProgress(shell::Gauge::Flash, a, size)) {
            frame.StopCommand();
            if (lastWritten >= 0) frame.NoteWritten(AtAddress(WrittenUpTo, lastWritten));
            return frame.StoppedOutcome();
        }
    }
    return CommandOutcome::Done;
}

CommandOutcome ProgramPages(CommandFrame& frame, std::span<const std::uint8_t> image) {
    link::AvrLink& link = frame.Link();
    const int size = frame.FlashSize();
    const int pageSize = frame.Device().flashPageSize;
    int lastWritten = -1;
    for (int p = 0; p < size / pageSize; ++p) {
        const int first = p * pageSize;
        const auto page = image.subspan(static_cast<std::size_t>(first), pageSize);
        if (!std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0xFF; })) {
            for (int k = 0; k < pageSize; ++k) link.LoadPageByte(k, page[static_cast<std::size_t>(k)]);
            link.WriteFlashPage(p, pageSize / 2);
            lastWritten = first + pageSize - 1;
            const std::uint8_t v = page[0];
            if (v == 0xFF) {
                frame.Clock().Sleep(UnpollablePageMs);
            } else {
                bool written = false;
                for (int i = 0; i < PageModeReadBacks && !written; ++i) written = link.ReadFlashByte(first) == v;
                if (!written) return WriteFailed(frame, PageWriteFailed, first, true);
            }
            // The poll saw the first byte only (its last read confirmed it): the rest of the
            // page is read back, so that a byte that did not take (flash not erased, a faulty
            // cell) stops the command here. About 0.8 ms per byte on the port.
            // Through a queuing port (the FTDI adapter) the reads go out together.
            const int from = v == 0xFF ? 0 : 1;
            const int wrong = link.ReadFlashRun(first + from, pageSize - from, [&](int k, std::uint8_t value) {
                return value == page[static_cast<std::size_t>(from + k)];
            });
            if (wrong != pageSize - from) return WriteFailed(frame, PageWriteFailed, first + from + wrong, true);
        }
        if (frame.ShowProgress(shell::Gauge::Flash, first, size)) {
            frame.StopCommand();
            if (lastWritten >= 0) frame.NoteWritten(AtAddress(WrittenUpTo, lastWritten));
            return frame.StoppedOutcome();
        }
    }
    return CommandOutcome::Done;
}

CommandOutcome LoadAndProgram(CommandFrame& frame, const std::string& fileName, const ImagePatch* patch = nullptr) {
    FileImage image = LoadFileImage(fileName, FlashImageLimits);
    if (patch && image.load == ImageLoad::Loaded && !ApplyPatch(image, *patch)) {
        ReportPatchBeyond(frame.Shell(), *patch, FlashImageLimits);
        return CommandOutcome::Failed;
    }
    if (!ReportFileImage(frame.Shell(), image, FlashImageLimits)) return CommandOutcome::Failed;
    return ProgramFlashImage(frame, image, false);
}

}  // namespace

CommandOutcome ProgramFlash(CommandFrame& frame) {
    return RunOnChosenFile(frame, OpenDialog,
                           [&](const std::string& fileName) { return LoadAndProgram(frame, fileName); });
}

CommandOutcome ProgramFlashFrom(CommandFrame& frame, const std::string& fileName) {
    return RunCommand(frame, [&] { return LoadAndProgram(frame, fileName); });
}

CommandOutcome ProgramFlashFrom(CommandFrame& frame, const std::string& fileName, const ImagePatch& patch) {
    return RunCommand(frame, [&] { return LoadAndProgram(frame, fileName, &patch); });
}

CommandOutcome ProgramFlashImage(CommandFrame& frame, const FileImage& file, bool erased) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return frame.StartOutcome();
    }
    // Only the signature tells the flash size; a file beyond it would be cut and then verify.
    if (!CheckImageFits(frame, file, FlashImageLimits, frame.FlashSize())) return CommandOutcome::Failed;
    if (!CheckFileDevice(frame, file.signature)) return CommandOutcome::Failed;
    // The stop asked for while the device was powered up: nothing has been written yet.
    if (frame.StopBeforeWriting()) return frame.StoppedOutcome();
    const std::span<const std::uint8_t> image(file.bytes);
    const CommandOutcome written =
        frame.Device().flashWrite == FlashWriteMode::Pages ? ProgramPages(frame, image) : ProgramBytes(frame, image);
    if (written != CommandOutcome::Done) return written;
    frame.Shell().SetGauge(shell::Gauge::Flash, 100);
    frame.StopCommand();
    // Blank parts of the file are neither written nor read back: only over an erased flash is
    // the padded file what the device holds.
    const auto programmed = image.first(static_cast<std::size_t>(frame.FlashSize()));
    if (erased) {
        frame.View().MemoryContentsKnown(programmed);
    } else {
        frame.View().PaddedFileWritten(programmed);
    }
    frame.Shell().Report(shell::Fill(Tr("Flash programada y comprobada: %1 bytes"),
                                     {shell::CountText(std::min<std::uint64_t>(
                                         file.read.dataEnd, static_cast<std::uint64_t>(frame.FlashSize())))}));
    return CommandOutcome::Done;
}

}  // namespace tarpel::avr
