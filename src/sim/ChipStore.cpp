// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/ChipStore.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/AtomicFile.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::sim {

namespace fs = std::filesystem;

ChipStore::ChipStore(std::string folder) : folder_(folder.empty() ? DefaultFolder() : std::move(folder)) {}

std::string ChipStore::DefaultFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return std::string(data) + "/tarpel/sim";
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share/tarpel/sim";
    return "tarpel-sim";
}

std::vector<std::uint8_t> ChipStore::Load(const std::string& fileName, std::size_t size, std::uint8_t blank) const {
    std::vector<std::uint8_t> bytes(size, blank);
    std::ifstream in(fs::path(folder_) / fileName, std::ios::binary);
    if (!in) return bytes;
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    return bytes;
}

bool ChipStore::Save(const std::string& fileName, const std::vector<std::uint8_t>& bytes) const {
    std::error_code error;
    fs::create_directories(folder_, error);
    errno = 0;
    if (files::WriteFileAtomically((fs::path(folder_) / fileName).string(), bytes)) return true;
    const int cause = errno;
    if (failure_->empty()) {
        *failure_ = shell::Fill(Tr("No se puede guardar el chip simulado %1 en la carpeta %2%3. Lo grabado se ha "
                                   "perdido: compruebe que puede escribir en la carpeta y que el disco no esta "
                                   "lleno, o use otra con --sim-dir."),
                                {fileName, folder_,
                                 cause != 0 ? std::string(": ") + std::strerror(cause) : std::string()});
    }
    return false;
}

}  // namespace tarpel::sim
