// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/SignalSafeOff.h"

#include <atomic>

namespace tarpel::port {

namespace {

// Lock-free, so that reading it in a handler is safe.
std::atomic<SignalSafeOffWrite> registered{nullptr};
static_assert(std::atomic<SignalSafeOffWrite>::is_always_lock_free);

}  // namespace

void RegisterSignalSafeOff(SignalSafeOffWrite write) { registered.store(write); }

bool SwitchOffFromSignal() {
    const SignalSafeOffWrite write = registered.load();
    if (!write) return false;
    write();
    return true;
}

}  // namespace tarpel::port
