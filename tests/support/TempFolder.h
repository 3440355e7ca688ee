// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A fresh, empty folder per test under the system's temporary folder, removed with everything
// in it when the test ends; with small helpers to put files there and read them back.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarpel::test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarpel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path(std::string_view name) const { return (root_ / name).string(); }

    std::string Write(std::string_view name, std::string_view text) const {
        std::ofstream(Path(name), std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        return Path(name);
    }
    std::string Write(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
        return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

    std::string ReadText(std::string_view name) const {
        std::ifstream file(Path(name), std::ios::binary | std::ios::ate);
        if (!file) return {};
        std::string text(static_cast<std::size_t>(file.tellg()), '\0');
        file.seekg(0);
        file.read(text.data(), static_cast<std::streamsize>(text.size()));
        return text;
    }
    std::vector<std::uint8_t> ReadBytes(std::string_view name) const {
        const std::string text = ReadText(name);
        return {text.begin(), text.end()};
    }
    // Names in the folder, to prove that no temporary or partial file was left behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root_)) names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path root_;
};

}  // namespace tarpel::test
