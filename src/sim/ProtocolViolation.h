// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a real chip would suffer from: each socket keeps a log of the protocol violations its
// chip saw, stamped with virtual time, so tests can assert that a command caused none.
#include <cstdint>
#include <string>
#include <vector>

namespace tarpel::sim {

struct ProtocolViolation {
    std::uint64_t timeNs = 0;
    std::string description;
};

class ViolationLog {
public:
    // Entries beyond this are only counted: a runaway master (or the AVR side clocking XTAL1,
    // the 24Cxx socket's SCL) could log millions, and the first ones tell the story.
    static constexpr std::size_t MaxEntries = 1000;

    void Record(std::uint64_t timeNs, std::string description) {
        if (entries_.size() < MaxEntries) entries_.push_back({timeNs, std::move(description)});
        else ++suppressed_;
    }
    const std::vector<ProtocolViolation>& Entries() const { return entries_; }
    std::size_t Suppressed() const { return suppressed_; }
    bool Empty() const { return entries_.empty(); }
    void Clear() {
        entries_.clear();
        suppressed_ = 0;
    }

private:
    std::vector<ProtocolViolation> entries_;
    std::size_t suppressed_ = 0;
};

}  // namespace tarpel::sim
