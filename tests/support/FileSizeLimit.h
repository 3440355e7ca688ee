// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Makes every file of this process stop growing past a size, as a full disk would: writes
// beyond it fail with EFBIG instead of raising SIGXFSZ. Works for root too, unlike read-only
// files and folders. The old limit and signal handling come back at the end of the scope.
#include <signal.h>
#include <sys/resource.h>

#include <stdexcept>

namespace tarpel::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (::getrlimit(RLIMIT_FSIZE, &old_) != 0) throw std::runtime_error("getrlimit failed");
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

}  // namespace tarpel::test
