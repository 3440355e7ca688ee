// SPDX-License-Identifier: GPL-2.0-or-later
// Cross-checks the HEX reader and writer with two independent tools: srecord's srec_cat and
// binutils' avr-objcopy. Both must be on PATH; without them the tests skip, except under CI,
// where a missing tool is a failure.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <vector>

#include "ExternalTool.h"
#include "TempFolder.h"
#include "files/HexRead.h"
#include "files/HexWrite.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const auto candidate = std::filesystem::path(folder.empty() ? "." : folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

#define REQUIRE_TOOL(variable, name)                                                 \
    const std::string variable = FindOnPath(name);                                   \
    if (variable.empty()) {                                                          \
        if (UnderCi()) FAIL() << name << " is not on PATH (scripts/install-deps.sh)"; \
        GTEST_SKIP() << name << " is not on PATH";                                   \
    }

int RunTool(const std::string& command) { return std::system((command + " 2>&1").c_str()); }

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

Bytes RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
    return bytes;
}

// HexRead into a 0xFF-filled buffer covering the whole 16-bit address range. A peer's file
// has not a single line that is no valid record.
Bytes ReadWhole(const std::string& fileName) {
    Bytes buffer(65536 + 255, 0xFF);
    const auto read = files::HexRead(fileName, 65535, buffer);
    EXPECT_TRUE(read.opened);
    EXPECT_TRUE(read.hasData);
    EXPECT_EQ(read.wrongLines, 0) << "the first at line " << read.firstWrongLine;
    buffer.resize(65536);
    return buffer;
}

TEST(HexPeerTools, SrecCatReadsWhatHexWriteWrote) {
    REQUIRE_TOOL(srecCat, "srec_cat");
    TempFolder folder;
    for (const std::size_t count : {std::size_t{1000}, std::size_t{65536}}) {
        const Bytes bytes = RandomBytes(count, static_cast<unsigned>(count));
        ASSERT_TRUE(files::HexWrite(folder.Path("w.hex"), bytes, static_cast<std::int32_t>(count)));
        ASSERT_EQ(RunTool(Quoted(srecCat) + " " + Quoted(folder.Path("w.hex")) + " -intel -o " +
                      Quoted(folder.Path("w.bin")) + " -binary"),
                  0);
        EXPECT_EQ(folder.ReadBytes("w.bin"), bytes) << count;
    }
}

TEST(HexPeerTools, AvrObjcopyReadsWhatHexWriteWrote) {
    REQUIRE_TOOL(objcopy, "avr-objcopy");
    TempFolder folder;
    for (const std::size_t count : {std::size_t{17}, std::size_t{65536}}) {
        const Bytes bytes = RandomBytes(count, static_cast<unsigned>(count) + 1);
        ASSERT_TRUE(files::HexWrite(folder.Path("w.hex"), bytes, static_cast<std::int32_t>(count)));
        ASSERT_EQ(RunTool(Quoted(objcopy) + " -I ihex -O binary " + Quoted(folder.Path("w.hex")) + " " +
                      Quoted(folder.Path("w.bin"))),
                  0);
        EXPECT_EQ(folder.ReadBytes("w.bin"), bytes) << count;
    }
}

TEST(HexPeerTools, HexReadTakesSrecCatFilesOfEveryShape) {
    REQUIRE_TOOL(srecCat, "srec_cat");
    TempFolder folder;
    // Two blocks with a hole between them, the second at an odd address.
    const Bytes low = RandomBytes(700, 11);
    const Bytes high = RandomBytes(333, 12);
    folder.Write("low.bin", low);
    folder.Write("high.bin", high);
    Bytes expected(65536, 0xFF);
    std::copy(low.begin(), low.end(), expected.begin());
    std::copy(high.begin(), high.end(), expected.begin() + 0x1235);

    // The default output starts with an extended linear address record and uses LF line ends.
    for (const std::string options : {"", "-obs=16", "-obs=7", "-obs=255", "-address-length=2", "-crlf"}) {
        ASSERT_EQ(RunTool(Quoted(srecCat) + " " + Quoted(folder.Path("low.bin")) + " -binary " +
                      Quoted(folder.Path("high.bin")) + " -binary -offset 0x1235 -o " +
                      Quoted(folder.Path("s.hex")) + " -intel " + options),
                  0);
        EXPECT_EQ(ReadWhole(folder.Path("s.hex")), expected) << "srec_cat " << options;
    }
    // srec_cat writes only upper case; lower-cased, the same file must give the same bytes.
    std::string text = folder.ReadText("s.hex");
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); });
    EXPECT_EQ(ReadWhole(folder.Write("lower.hex", text)), expected);
}

TEST(HexPeerTools, HexReadPlacesSrecCatDataAcrossSixtyFourKibibytes) {
    REQUIRE_TOOL(srecCat, "srec_cat");
    TempFolder folder;
    const Bytes bytes = RandomBytes(0x300, 14);
    folder.Write("b.bin", bytes);
    // Extended linear address records (the default) and extended segment ones.
    for (const std::string options : {"", "-address-length=3"}) {
        ASSERT_EQ(RunTool(Quoted(srecCat) + " " + Quoted(folder.Path("b.bin")) + " -binary -offset 0xFF80 -o " +
                          Quoted(folder.Path("x.hex")) + " -intel " + options),
                  0);
        Bytes buffer(0x20000, 0xFF);
        const auto read = files::HexRead(folder.Path("x.hex"), 0x1FFFF, buffer);
        EXPECT_EQ(read.wrongLines, 0) << options;
        EXPECT_EQ(read.dataEnd, 0xFF80u + bytes.size()) << options;
        EXPECT_EQ(Bytes(buffer.begin() + 0xFF80, buffer.begin() + 0xFF80 + 0x300), bytes) << options;
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + 0xFF80, [](auto b) { return b == 0xFF; }))
            << options << ": nothing lands on top of the low 64 KiB";
    }
}

TEST(HexPeerTools, HexReadTakesAvrObjcopyFiles) {
    REQUIRE_TOOL(objcopy, "avr-objcopy");
    TempFolder folder;
    const Bytes bytes = RandomBytes(65536, 13);
    folder.Write("o.bin", bytes);
    ASSERT_EQ(RunTool(Quoted(objcopy) + " -I binary -O ihex " + Quoted(folder.Path("o.bin")) + " " +
                  Quoted(folder.Path("o.hex"))),
              0);
    EXPECT_EQ(ReadWhole(folder.Path("o.hex")), bytes);
}

}  // namespace
}  // namespace tarpel::test
