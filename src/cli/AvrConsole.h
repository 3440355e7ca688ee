// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What every AVR command of the console shares: lbTipo printed on standard output, a command
// frame of its own over the context's board, the differences a verification found and the
// checksums of the memory a command read or wrote in full printed after it, and the outcome
// turned into the exit status.
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "avr/AvrView.h"
#include "avr/CommandFrame.h"
#include "cli/CommandContext.h"
#include "cli/CommandTable.h"
#include "files/Checksums.h"

namespace tarpel::cli {

// lbTipo of the console: the device each command identifies, on standard output.
class ConsoleDeviceView final : public avr::AvrView {
public:
    explicit ConsoleDeviceView(std::ostream& out) : out_(out) {}
    void SetDeviceCaption(std::string_view caption) override;
    void MemoryContentsKnown(std::span<const std::uint8_t> contents) override;
    void PaddedFileWritten(std::span<const std::uint8_t> contents) override;
    void DifferencesFound(std::string_view memoryName, std::span<const files::ByteDifference> differences) override;
    void LockBitsKnown(std::uint8_t lockByte) override;

    // Of the last memory contents the command came to know, if any.
    const std::optional<files::Checksums>& Checksums() const { return checksums_; }
    // Whether they are of the padded file rather than of the memory.
    bool ChecksumsOfFile() const { return ofFile_; }
    // Of the last verification, if any.
    const std::vector<files::ByteDifference>& Differences() const { return differences_; }
    // The device the command identified; empty when it identified none.
    const std::string& Caption() const { return caption_; }

private:
    std::ostream& out_;
    std::optional<files::Checksums> checksums_;
    bool ofFile_ = false;
    std::vector<files::ByteDifference> differences_;
    std::string caption_;
};

// A lock byte and the mode it stands for, one line each.
void PrintLockByte(std::ostream& out, std::uint8_t lockByte);

// Runs one AVR command on a frame of its own over the context's board; the checksum line of the
// memory it read or wrote in full follows unless `checksums` is false. `device`, when given,
// receives the device identified (empty for none).
int RunAvr(CommandContext& context, const std::function<shell::CommandOutcome(avr::CommandFrame&)>& run,
           bool checksums = true, std::string* device = nullptr);

// An "avr" command without arguments, and one that takes a FICHERO.
Command AvrCommand(const char* name, const char* summary, shell::CommandOutcome (*run)(avr::CommandFrame&));
Command AvrFileCommand(const char* name, const char* summary,
                       shell::CommandOutcome (*run)(avr::CommandFrame&, const std::string&));

}  // namespace tarpel::cli
