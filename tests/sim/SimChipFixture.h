// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A simulated board with one virtual 24Cxx in a temporary store folder, for the sim tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "TestI2cMaster.h"
#include "sim/SimulatedBoard.h"
#include "sim/Virtual24Cxx.h"

namespace tarpel::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TemporaryFolder {
public:
    TemporaryFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("tarpel-") + (info ? info->test_suite_name() : "t") + "-" +
                           (info ? info->name() : "x") + "-" +
                           std::to_string(::getpid());
        for (auto& c : name)
            if (c == '/') c = '_';
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TemporaryFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::string String() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

struct SimChip {
    SimChip(const sim::Eeprom24CxxModel& chipType, const std::string& folder, std::vector<sim::PageRefusal> refusals = {})
        : type(chipType) {
        auto owned = std::make_unique<sim::Virtual24Cxx>(chipType, sim::ChipStore(folder), sim::EepromFaults{.pageRefusals = std::move(refusals), .stuckCells = {}});
        chip = owned.get();
        board = std::make_unique<sim::SimulatedBoard>(std::move(owned), nullptr);
        master = std::make_unique<TestI2cMaster>(*board);
    }
    const sim::Eeprom24CxxModel& type;
    sim::Virtual24Cxx* chip;
    std::unique_ptr<sim::SimulatedBoard> board;
    std::unique_ptr<TestI2cMaster> master;
};

}  // namespace tarpel::test
