// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Keeping a command from starting inside another: the window and the AVR command frame each let
// their message loop run mid-command, and a command started from there would interleave with the
// running one on the board lines. Plain C++, for any shell.

namespace tarpel::shell {

// Marks a command as running for its lifetime. Taken while the flag is already set (a command
// started from inside another's message processing), it stays empty: false, and it leaves the
// flag to its owner, so the caller must return at once, touching nothing.
class ReentryGuard {
public:
    explicit ReentryGuard(bool& running) : running_(running), entered_(!running) { running_ = true; }
    ~ReentryGuard() {
        if (entered_) running_ = false;
    }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;
    explicit operator bool() const { return entered_; }

private:
    bool& running_;
    bool entered_;
};

}  // namespace tarpel::shell
