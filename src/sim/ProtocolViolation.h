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
    void Record(std::uint64_t timeNs, std::string description) {
        entries_.push_back({timeNs, std::move(description)});
    }
    const std::vector<ProtocolViolation>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }
    void Clear() { entries_.clear(); }

private:
    std::vector<ProtocolViolation> entries_;
};

}  // namespace tarpel::sim
