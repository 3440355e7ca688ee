// SPDX-License-Identifier: GPL-2.0-or-later
#include "production/ProductionLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::production {

namespace {

std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

constexpr const char* Headings = "fecha,placa,chip,fichero,crc32,serie,pasos,segundos,resultado\n";

}  // namespace

std::string LocalTimeText(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
    return text;
}

std::string LogLine(const LogEntry& entry) {
    char crc[16] = "";
    if (entry.crc32) std::snprintf(crc, sizeof crc, "%08X", *entry.crc32);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", entry.seconds);
    const std::string fields[] = {LocalTimeText(entry.when),
                                  entry.board,
                                  entry.device,
                                  entry.file,
                                  crc,
                                  entry.serial ? std::to_string(*entry.serial) : std::string(),
                                  entry.steps,
                                  seconds,
                                  entry.good ? "OK" : "FALLO"};
    std::string line;
    for (const auto& field : fields) line += (line.empty() ? "" : ",") + Field(field);
    return line + "\n";
}

bool AppendToLog(const std::string& path, const LogEntry& entry, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = shell::Fill(Tr("No se puede abrir el registro %1 (%2)"),
                            {path, fd < 0 ? std::strerror(errno) : Tr("no es un fichero normal")});
        if (fd >= 0) ::close(fd);
        return false;
    }
    // One write: a line is on the disk whole or not at all, and never between another's halves.
    const std::string text = (status.st_size == 0 ? std::string(Headings) : std::string()) + LogLine(entry);
    ssize_t written = 0;
    do written = ::write(fd, text.data(), text.size());
    while (written < 0 && errno == EINTR);
    const bool whole = written == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    const int cause = errno;
    ::close(fd);
    if (!whole) error = shell::Fill(Tr("No se puede escribir en el registro %1 (%2)"), {path, std::strerror(cause)});
    return whole;
}

}  // namespace tarpel::production
