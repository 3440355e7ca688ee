// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the virtual chips keep their contents between runs: one folder (per user by default),
// one raw binary file per memory. A missing file is a blank memory; saves are atomic, so a crash
// never leaves a half-written chip. A save that fails is kept for the board to report.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarpel::sim {

class ChipStore {
public:
    // An empty folder means the per-user default: $XDG_DATA_HOME/tarpel/sim, else
    // ~/.local/share/tarpel/sim.
    explicit ChipStore(std::string folder = {});

    const std::string& Folder() const { return folder_; }

    // The file's bytes, padded with `blank` (or cut) to `size`; all `blank` when it is missing.
    std::vector<std::uint8_t> Load(const std::string& fileName, std::size_t size, std::uint8_t blank = 0xFF) const;
    // Creates the folder when needed. False when the file could not be written; the first such
    // failure is kept until ClearFailure(), and every copy of this store shares it.
    bool Save(const std::string& fileName, const std::vector<std::uint8_t>& bytes) const;
    // The first save that failed, for the user (file, folder, cause and what to do); empty when none.
    const std::string& Failure() const { return *failure_; }
    void ClearFailure() const { failure_->clear(); }

    static std::string DefaultFolder();

private:
    std::string folder_;
    std::shared_ptr<std::string> failure_ = std::make_shared<std::string>();
};

}  // namespace tarpel::sim
