// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// tarpel-cli run as a process of its own, as a user or a script runs it: its standard error
// goes to a file, signals can be sent to it, and its end is awaited with a generous timeout.
// The process never outlives the object.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tarpel::test {

class CliProcess {
public:
    // Standard output goes to outputFile; an empty name leaves it closed.
    CliProcess(const std::vector<std::string>& args, std::string errorFile, const std::string& outputFile = "/dev/null")
        : errorFile_(std::move(errorFile)) {
        std::vector<std::string> argv{TARPEL_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (auto& arg : argv) pointers.push_back(arg.data());
        pointers.push_back(nullptr);

        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (outputFile.empty()) {
            posix_spawn_file_actions_addclose(&files, STDOUT_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        // Whatever the test runner blocks or ignores, the program starts as from a shell.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) sigaddset(&defaults, number);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        const int error = ::posix_spawn(&pid_, argv[0].c_str(), &files, &attributes, pointers.data(), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&files);
        if (error != 0) throw std::runtime_error("posix_spawn failed");
    }
    ~CliProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void Signal(int number) const { ::kill(pid_, number); }

    // True while the process holds `path` open (a folder it has claimed, a file it reads).
    bool HasOpen(const std::string& path) const {
        std::error_code error;
        const auto wanted = std::filesystem::weakly_canonical(path, error);
        for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/fd", error)) {
            std::error_code linkError;
            if (std::filesystem::read_symlink(entry.path(), linkError) == wanted) return true;
        }
        return false;
    }

    // Polls `condition` until it holds or the process ends or the time is up.
    bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (condition()) return true;
            if (Ended()) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // The wait status once the process has ended, or nullopt when it was still running at the
    // timeout (it is killed then).
    std::optional<int> Wait(std::chrono::seconds timeout) {
        WaitFor([] { return false; }, timeout);
        if (!Ended()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return std::nullopt;
        }
        return status_;
    }
    // The exit status when the process exited normally, -1 otherwise.
    static int ExitCode(std::optional<int> status) {
        return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    }

    std::string ErrorText() const {
        std::ifstream in(errorFile_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    bool Ended() {
        if (pid_ <= 0) return status_.has_value();
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
        status_ = status;
        pid_ = -1;
        return true;
    }

    std::string errorFile_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

}  // namespace tarpel::test
