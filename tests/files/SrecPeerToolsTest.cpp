// SPDX-License-Identifier: GPL-2.0-or-later
// Cross-checks the S-record reader and writer with srecord's srec_cat and binutils' avr-objcopy:
// files they write read into the bytes of their own binary output, and files we write they read
// back, checksums and all. Without the tools the tests skip, except under CI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "ExternalTool.h"
#include "TempFolder.h"
#include "files/SrecRead.h"
#include "files/SrecWrite.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

int RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

Bytes RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
    return bytes;
}

TEST(SrecPeerTools, SrecReadTakesSrecCatFilesOfEveryAddressWidthAndRecordLength) {
    TARPEL_REQUIRE_TOOL("srec_cat");
    TempFolder folder;
    // Blocks with holes between them, at odd addresses, one above 64 KiB for S2 and S3 records.
    folder.Write("a.bin", RandomBytes(700, 1));
    folder.Write("b.bin", RandomBytes(333, 2));
    folder.Write("c.bin", RandomBytes(77, 3));
    const std::string blocks = Quoted(folder.Path("a.bin")) + " -binary " + Quoted(folder.Path("b.bin")) +
                               " -binary -offset 0x1235 ";
    const std::string highBlock = Quoted(folder.Path("c.bin")) + " -binary -offset 0x12345 ";
    constexpr std::size_t Size = 0x20000;

    for (const int addressLength : {2, 3, 4}) {
        for (const std::string recordLength : {"", "-obs=7", "-obs=16", "-obs=33 -crlf"}) {
            const std::string input = blocks + (addressLength > 2 ? highBlock : "");
            const std::string options =
                "-address-length=" + std::to_string(addressLength) + " " + recordLength;
            ASSERT_EQ(RunTool("srec_cat " + input + "-o " + Quoted(folder.Path("s.srec")) + " -motorola " + options), 0);
            ASSERT_EQ(RunTool("srec_cat " + Quoted(folder.Path("s.srec")) + " -motorola -fill 0xFF 0 " +
                              std::to_string(Size) + " -o " + Quoted(folder.Path("s.bin")) + " -binary"),
                      0);
            Bytes buffer(Size, 0xFF);
            const auto result = files::SrecRead(folder.Path("s.srec"), buffer);
            EXPECT_EQ(buffer, folder.ReadBytes("s.bin")) << options;
            EXPECT_TRUE(result.hasData) << options;
            EXPECT_EQ(result.wrongLines, 0) << options << ", first at line " << result.firstWrongLine;
            EXPECT_EQ(result.dataEnd, addressLength > 2 ? 0x12345u + 77 : 0x1235u + 333) << options;
        }
    }
}

TEST(SrecPeerTools, SrecCatAndAvrObjcopyReadWhatSrecWriteWrote) {
    TARPEL_REQUIRE_TOOL("srec_cat");
    TARPEL_REQUIRE_TOOL("avr-objcopy");
    TempFolder folder;
    for (const std::size_t count : {std::size_t{1}, std::size_t{1000}, std::size_t{65536}}) {
        const Bytes bytes = RandomBytes(count, static_cast<unsigned>(count) + 7);
        ASSERT_TRUE(files::SrecWrite(folder.Path("w.srec"), bytes, static_cast<std::int32_t>(count)));
        // srec_cat refuses a record whose checksum or count is wrong.
        ASSERT_EQ(RunTool("srec_cat " + Quoted(folder.Path("w.srec")) + " -motorola -o " + Quoted(folder.Path("w.bin")) +
                          " -binary"),
                  0);
        EXPECT_EQ(folder.ReadBytes("w.bin"), bytes) << count;
        ASSERT_EQ(RunTool("avr-objcopy -I srec -O binary " + Quoted(folder.Path("w.srec")) + " " +
                          Quoted(folder.Path("o.bin"))),
                  0);
        EXPECT_EQ(folder.ReadBytes("o.bin"), bytes) << count;
    }
}

}  // namespace
}  // namespace tarpel::test
