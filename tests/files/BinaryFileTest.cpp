// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "FileSizeLimit.h"
#include "TempFolder.h"
#include "files/BinaryFile.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(BinaryFile, ReadsUpToTheCapacityAndReportsWhatItGot) {
    TempFolder folder;
    Bytes content(300);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
    folder.Write("a.bin", content);

    Bytes buffer(400, 0xFF);
    auto read = files::ReadBinaryFile(folder.Path("a.bin"), std::span(buffer).first(256));
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.count, 256u);
    EXPECT_TRUE(std::equal(content.begin(), content.begin() + 256, buffer.begin()));
    EXPECT_EQ(buffer[256], 0xFF) << "nothing beyond the capacity";

    read = files::ReadBinaryFile(folder.Path("a.bin"), buffer);
    EXPECT_EQ(read.count, 300u);
    EXPECT_EQ(buffer[300], 0xFF);

    read = files::ReadBinaryFile(folder.Write("empty.bin", ""), buffer);
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.count, 0u);

    for (const auto& unreadable : {folder.Path("missing.bin"), folder.Path("")}) {
        read = files::ReadBinaryFile(unreadable, buffer);
        EXPECT_FALSE(read.opened) << unreadable;
        EXPECT_EQ(read.count, 0u);
    }
}

TEST(BinaryFile, WritesExactlyTheBytesOrLeavesTheOldFile) {
    TempFolder folder;
    const Bytes bytes(1000, 0x3C);
    folder.Write("old.bin", "old contents");
    {
        FileSizeLimit diskFull(100);
        EXPECT_FALSE(files::WriteBinaryFile(folder.Path("old.bin"), bytes));
    }
    EXPECT_EQ(folder.ReadText("old.bin"), "old contents");
    EXPECT_EQ(folder.Names().size(), 1u) << "no temporary left behind";
    EXPECT_FALSE(files::WriteBinaryFile(folder.Path("no/such/folder.bin"), bytes));

    ASSERT_TRUE(files::WriteBinaryFile(folder.Path("old.bin"), bytes));
    EXPECT_EQ(folder.ReadBytes("old.bin"), bytes);
}

}  // namespace
}  // namespace tarpel::test
