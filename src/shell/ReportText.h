// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Numbers and names as the status line writes them, in the Spanish way: a dot between the
// thousands ("16.384 bytes"), a decimal comma ("2,1 s"), a file by its name without the folder.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarpel::shell {

std::string CountText(std::uint64_t count);
// Tenths of a second, rounded: "0,0 s", "2,1 s", "1.234,5 s".
std::string SecondsText(std::uint64_t milliseconds);
// The last part of a path, after its last slash or backslash.
std::string FileNameText(std::string_view path);

}  // namespace tarpel::shell
