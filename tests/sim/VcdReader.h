// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reads back the VCD files of the line trace, for the tests: the variable names and, per
// variable, every change with its time.
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tarpel::test {

struct VcdChange {
    std::uint64_t timeNs;
    char value;  // '0', '1' or 'x'
};

struct VcdTrace {
    std::string timescale;
    std::vector<std::string> names;                       // in declaration order
    std::map<std::string, std::vector<VcdChange>> changes;  // by name
    std::uint64_t endNs = 0;                              // the last timestamp

    // The variable's value at a time (after the changes stamped with that time).
    char At(const std::string& name, std::uint64_t timeNs) const {
        char value = 'x';
        for (const auto& c : changes.at(name)) {
            if (c.timeNs > timeNs) break;
            value = c.value;
        }
        return value;
    }
};

inline VcdTrace ReadVcd(const std::string& path) {
    VcdTrace trace;
    std::ifstream in(path);
    std::map<std::string, std::string> byId;
    std::string token;
    std::uint64_t now = 0;
    while (in >> token) {
        if (token == "$timescale") {
            std::string part;
            while (in >> part && part != "$end") trace.timescale += (trace.timescale.empty() ? "" : " ") + part;
        } else if (token == "$var") {
            std::string type, width, id, name, end;
            in >> type >> width >> id >> name >> end;
            byId[id] = name;
            trace.names.push_back(name);
            trace.changes[name];
        } else if (token[0] == '#') {
            now = std::stoull(token.substr(1));
            trace.endNs = now;
        } else if ((token[0] == '0' || token[0] == '1' || token[0] == 'x') && byId.count(token.substr(1))) {
            trace.changes[byId[token.substr(1)]].push_back({now, token[0]});
        }
    }
    return trace;
}

}  // namespace tarpel::test
