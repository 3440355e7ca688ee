// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Tests that lean on a third-party tool (sigrok-cli, srec_cat, avr-gcc): where the tool is missing
// they are skipped on a developer's machine, but fail in CI, whose set-up installs every one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace tarpel::test {

inline bool ToolOnPath(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command and returns what it printed on standard output.
inline std::string CommandOutput(const std::string& command) {
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return output;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) output.append(buffer, n);
    return output;
}

inline bool UnderCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

}  // namespace tarpel::test

#define TARPEL_REQUIRE_TOOL(name)                                                            \
    do {                                                                                     \
        if (!::tarpel::test::ToolOnPath(name)) {                                             \
            if (::tarpel::test::UnderCi()) FAIL() << name << " is not installed in CI";      \
            GTEST_SKIP() << name << " is not installed";                                     \
        }                                                                                    \
    } while (false)
