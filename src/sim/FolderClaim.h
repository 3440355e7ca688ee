// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The simulated board's claim on the folder its chips are kept in, as a real port is claimed
// exclusively: an advisory lock on the folder itself, held while the board is open. A second
// program on the same folder is refused before it reads a chip, instead of one program's writes
// silently overwriting the other's. The lock goes with the process, however it ends.
#include <string>

namespace tarpel::sim {

class FolderClaim {
public:
    FolderClaim() = default;  // claims nothing
    // Creates the folder when needed and claims it. When another program holds it: an empty
    // claim and the user's message in `error`. A folder that cannot be opened is not claimed
    // and is no error here: nothing can be saved there, which the store reports when it tries.
    static FolderClaim Claim(const std::string& folder, std::string& error);

    ~FolderClaim();
    FolderClaim(FolderClaim&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FolderClaim& operator=(FolderClaim&& other) noexcept;
    FolderClaim(const FolderClaim&) = delete;
    FolderClaim& operator=(const FolderClaim&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    explicit FolderClaim(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace tarpel::sim
