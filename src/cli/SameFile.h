// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Whether two names given on the command line lead to the same file: the same path, a symbolic
// link to the other (also one whose file does not exist yet), or a hard link of it. Used to keep
// the line trace, which empties its file as the board opens, off the files a command works on.
#include <string>

namespace tarpel::cli {

bool SameFile(const std::string& a, const std::string& b);

}  // namespace tarpel::cli
