// SPDX-License-Identifier: GPL-2.0-or-later
#include "production/ProductionRun.h"

#include <chrono>
#include <fstream>
#include <iterator>

#include "files/Checksums.h"
#include "production/ProductionLog.h"
#include "production/SerialCounter.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::production {

namespace {

// Of the file as it is on the disk, as "crc32 FILE" gives it: the log says exactly which file went in.
std::optional<std::uint32_t> FileCrc(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open()) return std::nullopt;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return files::Crc32(bytes);
}

}  // namespace

void Tally::Add(const ChipVerdict& verdict) {
    if (verdict.ran) (verdict.good ? good : failed) += 1;
    if (!verdict.serial) return;
    if (!firstSerial) firstSerial = verdict.serial;
    lastSerial = verdict.serial;
}

std::string TallyText(const Tally& tally) {
    std::string numbers;
    if (tally.firstSerial)
        numbers = shell::Fill(Tr("; numeros de serie %1 a %2"),
                              {std::to_string(*tally.firstSerial), std::to_string(*tally.lastSerial)});
    return shell::Fill(Tr("%1 buenos, %2 fallidos%3"), {tally.good, tally.failed, numbers});
}

ChipVerdict RunChip(const RunSettings& settings, const std::function<ChipResult(const PlacedSerial*)>& run,
                    const std::function<double()>& now) {
    ChipVerdict verdict;
    const double start = now();
    std::optional<PlacedSerial> serial;
    if (settings.place) {
        // Taken, and the counter moved on, before the chip is touched: a number is never handed
        // out twice, even when the program dies in the middle of this chip.
        const auto number = TakeSerial(settings.counter, LargestSerial(*settings.place), verdict.error);
        if (!number) return verdict;
        serial = PlacedSerial{*settings.place, *EncodeSerial(*number, *settings.place), *number};
        verdict.serial = number;
    }
    const ChipResult result = run(serial ? &*serial : nullptr);
    verdict.ran = true;
    verdict.good = result.good;
    verdict.seconds = now() - start;
    if (!settings.log.empty()) {
        const LogEntry entry{std::chrono::system_clock::now(), settings.board, result.device, settings.file,
                             FileCrc(settings.file), verdict.serial, result.steps, verdict.seconds, result.good};
        AppendToLog(settings.log, entry, verdict.error);
    }
    return verdict;
}

}  // namespace tarpel::production
