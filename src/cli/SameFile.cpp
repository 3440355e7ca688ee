// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/SameFile.h"

#include <filesystem>

namespace tarpel::cli {

namespace {

namespace fs = std::filesystem;

constexpr int MaxLinkHops = 40;  // as the kernel gives up on a loop of links

// Where a name leads: absolute, its links followed even where the last one's file is missing.
fs::path Resolved(const std::string& name) {
    std::error_code error;
    fs::path path = fs::absolute(name, error);
    for (int hop = 0; hop < MaxLinkHops && fs::is_symlink(path, error); ++hop) {
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path canonical = fs::weakly_canonical(path, error);
    return (error ? path : canonical).lexically_normal();
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    // Hard links, and anything else the file system itself calls one file; false when either
    // does not exist, which the names then decide.
    if (fs::equivalent(a, b, error)) return true;
    return Resolved(a) == Resolved(b);
}

}  // namespace tarpel::cli
