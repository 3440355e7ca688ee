// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/VcdWriter.h"

#include <cerrno>
#include <cstring>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::port {

namespace {

constexpr std::size_t FlushThreshold = 1 << 16;

// Identifiers are printable characters from '!' on; a two-character one past 94 variables.
std::string Identifier(std::size_t index) {
    constexpr std::size_t Count = '~' - '!' + 1;
    std::string id;
    do {
        id += static_cast<char>('!' + index % Count);
        index /= Count;
    } while (index > 0);
    return id;
}

}  // namespace

VcdWriter::VcdWriter(const std::string& path, std::vector<std::string> variableNames)
    : path_(path), names_(std::move(variableNames)), values_(names_.size(), -1) {
    for (std::size_t i = 0; i < names_.size(); ++i) ids_.push_back(Identifier(i));
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        const int cause = errno;  // before the catalogue is looked up
        error_ = shell::Fill(Tr("No se puede crear el fichero de traza %1: %2"), {path, std::strerror(cause)});
        return;
    }
    buffer_ += "$date tarpel $end\n$version tarpel line trace $end\n$timescale 1 ns $end\n";
    buffer_ += "$scope module velcor $end\n";
    for (std::size_t i = 0; i < names_.size(); ++i)
        buffer_ += "$var wire 1 " + ids_[i] + " " + names_[i] + " $end\n";
    buffer_ += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
    for (const auto& id : ids_) buffer_ += "x" + id + "\n";
    buffer_ += "$end\n";
}

VcdWriter::~VcdWriter() {
    if (!file_) return;
    if (!finished_) Finish(lastStampNs_);
    Flush();
    std::fclose(file_);
}

void VcdWriter::Stamp(std::uint64_t timeNs) {
    if (timeNs == lastStampNs_) return;
    lastStampNs_ = timeNs;
    buffer_ += '#';
    buffer_ += std::to_string(timeNs);
    buffer_ += '\n';
}

void VcdWriter::Write(std::size_t variable, bool level, std::uint64_t timeNs) {
    if (!file_) return;
    Stamp(timeNs);
    buffer_ += level ? '1' : '0';
    buffer_ += ids_[variable];
    buffer_ += '\n';
    if (buffer_.size() >= FlushThreshold) Flush();
}

bool VcdWriter::Finish(std::uint64_t timeNs) {
    if (!file_) return false;
    if (!finished_) {
        finished_ = true;
        // A closing timestamp after the last change: without it a viewer ends the trace on it.
        Stamp(timeNs > lastStampNs_ ? timeNs : lastStampNs_ + 1);
        Flush();
        if (std::fflush(file_) != 0) NoteWriteError(errno);
    }
    return error_.empty();
}

void VcdWriter::Flush() {
    if (!file_ || buffer_.empty()) return;
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) NoteWriteError(errno);
    buffer_.clear();
}

void VcdWriter::NoteWriteError(int error) {
    // The first failure says why; what follows it is lost anyway.
    if (error_.empty())
        error_ = shell::Fill(Tr("El fichero de traza %1 ha quedado incompleto: %2"), {path_, std::strerror(error)});
}

}  // namespace tarpel::port
