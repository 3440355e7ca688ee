// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Debian's AVR toolchain at test time: avr-gcc builds a small C program for one device and
// avr-objcopy takes the result apart, so that what Tarpel reads is checked against the
// toolchain's own tools. Without them a test skips, except under CI, where that is a failure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ExternalTool.h"
#include "TempFolder.h"

namespace tarpel::test {

inline std::optional<std::string> FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const auto candidate = std::filesystem::path(folder.empty() ? "." : folder) / program;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
    }
    return std::nullopt;
}

struct AvrTools {
    std::string gcc;
    std::string objcopy;
};

// avr-gcc and avr-objcopy from PATH; nothing when either is missing (a test failure under CI).
inline std::optional<AvrTools> FindAvrTools() {
    const auto gcc = FindOnPath("avr-gcc");
    const auto objcopy = FindOnPath("avr-objcopy");
    if (!gcc || !objcopy) {
        if (UnderCi()) ADD_FAILURE() << "avr-gcc and avr-objcopy are needed (Debian: gcc-avr, avr-libc, binutils-avr)";
        return std::nullopt;
    }
    return AvrTools{*gcc, *objcopy};
}

// Runs each command in turn, its output kept in the folder's tools.log; at the first that
// fails, records a test failure with the command and its output and returns false.
inline bool RunToolchain(const TempFolder& folder, const std::vector<std::string>& commands) {
    for (const auto& command : commands) {
        if (std::system((command + " >" + folder.Path("tools.log") + " 2>&1").c_str()) != 0) {
            ADD_FAILURE() << command << "\n" << folder.ReadText("tools.log");
            return false;
        }
    }
    return true;
}

// Compiles one C file for mcu into folder/name.elf; its path, or nothing when the toolchain is
// missing (a failure under CI) or failed.
inline std::optional<std::string> BuildElf(const TempFolder& folder, const std::string& mcu, const std::string& name,
                                           const std::string& source) {
    const auto tools = FindAvrTools();
    if (!tools) return std::nullopt;
    const std::string elf = folder.Path(name + ".elf");
    if (!RunToolchain(folder, {tools->gcc + " -mmcu=" + mcu + " -Os -o " + elf + " " + folder.Write(name + ".c", source)}))
        return std::nullopt;
    return elf;
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace tarpel::test

// Ends the test as skipped when the toolchain is missing, as failed when it failed.
#define TARPEL_SKIP_WITHOUT(built)                                  \
    do {                                                            \
        if (!(built)) {                                             \
            if (HasFailure()) return;                               \
            GTEST_SKIP() << "the AVR toolchain is not installed";   \
        }                                                           \
    } while (false)
