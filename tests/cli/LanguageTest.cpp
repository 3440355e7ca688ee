// SPDX-License-Identifier: GPL-2.0-or-later
// tarpel-cli speaks the language of its environment, as gettext reads it: English where the
// locale or LANGUAGE asks for it first (installed as a locale or not), the Spanish of the source
// texts everywhere else, the C locale included. Each message is one whole sentence of the
// catalogue, its values filled in afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "shell/Fill.h"

namespace tarpel::test {
namespace {

struct ProgramRun {
    int status = -1;
    std::string output;  // standard output and standard error together
};

// The program alone with the given environment, nothing inherited from the test runner's.
ProgramRun RunWithEnvironment(const std::vector<std::string>& args, std::vector<std::string> environment,
                       const TempFolder& folder) {
    std::vector<std::string> argv{TARPEL_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argPointers, envPointers;
    for (auto& arg : argv) argPointers.push_back(arg.data());
    argPointers.push_back(nullptr);
    for (auto& variable : environment) envPointers.push_back(variable.data());
    envPointers.push_back(nullptr);

    const std::string outputFile = folder.Path("output.txt");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    ProgramRun run;
    if (::posix_spawn(&pid, argv[0].c_str(), &files, nullptr, argPointers.data(), envPointers.data()) == 0 &&
        ::waitpid(pid, &run.status, 0) == pid)
        run.output = folder.ReadText("output.txt");
    posix_spawn_file_actions_destroy(&files);
    return run;
}

TEST(CliLanguage, MessagesAndUsageErrorsFollowTheLocale) {
    // board check names the board first, then gives its verdict.
    const std::string english = "Board: simulated\nOK: The Velcor board responds correctly!!!\n";
    const std::string spanish = "Placa: simulada\nOK: El Velcor responde correctamente!!!\n";
    struct Case {
        std::vector<std::string> environment;
        std::string expected;
    };
    const Case cases[] = {
        {{"LANG=en_US.UTF-8"}, english},
        {{"LANG=en_GB.ISO-8859-1"}, english},  // a locale this machine hardly has installed
        {{"LANG=es_ES.UTF-8"}, spanish},
        {{"LANG=C"}, spanish},
        {{}, spanish},
        {{"LANG=POSIX", "LANGUAGE=en"}, spanish},  // LANGUAGE has no say in the C locale
        {{"LANG=en_US.UTF-8", "LC_ALL=C"}, spanish},
        {{"LANG=es_ES.UTF-8", "LC_MESSAGES=en_US.UTF-8"}, english},
        {{"LANG=fr_FR.UTF-8", "LANGUAGE=fr:en"}, english},  // the first language with a catalogue
        {{"LANG=en_US.UTF-8", "LANGUAGE=es:en"}, spanish},  // Spanish asked for first
        {{"LANG=de_DE.UTF-8"}, spanish},
    };
    for (const auto& [environment, expected] : cases) {
        TempFolder folder;
        std::string described;
        for (const auto& variable : environment) described += variable + " ";
        const ProgramRun check = RunWithEnvironment(
            {"--board", "sim", "--sim-dir", folder.Path("sim"), "board", "check"}, environment, folder);
        EXPECT_EQ(check.status, 0) << described;
        EXPECT_EQ(check.output, expected) << described;

        const ProgramRun usage = RunWithEnvironment({"board", "check", "--bogus"}, environment, folder);
        EXPECT_EQ(WEXITSTATUS(usage.status), 2) << described;
        const std::string usageText = expected == english
                                          ? "tarpel-cli: unknown option: --bogus\nTry: tarpel-cli --help\n"
                                          : "tarpel-cli: opcion desconocida: --bogus\nPruebe: tarpel-cli --help\n";
        EXPECT_EQ(usage.output, usageText) << described;
    }
}

TEST(Fill, PutsEachValueWhereItsNumberStandsAndLeavesEveryOtherMarkAsItIs) {
    using shell::Fill;
    EXPECT_EQ(Fill("%2 de %1, %2", {"la 24C16", std::uint8_t{15}}), "15 de la 24C16, 15");
    EXPECT_EQ(Fill("%1 y %3", {"a", "b"}), "a y %3");  // a missing value shows
    EXPECT_EQ(Fill("solo %1", {-7, "de sobra"}), "solo -7");
    EXPECT_EQ(Fill("100% %0 %% %a %", {"x"}), "100% %0 %% %a %");
    EXPECT_EQ(Fill("%12", {"a"}), "a2");
    EXPECT_EQ(Fill("%1 %2", {"%2", "b"}), "%2 b");  // a value is not searched again
}

}  // namespace
}  // namespace tarpel::test
