// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "files/FileKind.h"

namespace tarpel::test {
namespace {

using files::FileKind;
using files::FileKindOf;

TEST(FileKind, DecidesByTheEndingInAnyCase) {
    EXPECT_EQ(FileKindOf("/tmp/a.hex"), FileKind::Hex);
    EXPECT_EQ(FileKindOf("/tmp/a.Hex"), FileKind::Hex);
    EXPECT_EQ(FileKindOf("/tmp/a.HEX"), FileKind::Hex);
    EXPECT_EQ(FileKindOf("/tmp/a.bIn"), FileKind::Binary);
    EXPECT_EQ(FileKindOf("/tmp/dataxbin"), FileKind::Binary) << "the dot is not looked at";
    EXPECT_EQ(FileKindOf("hex"), FileKind::Hex);
    for (const char* name : {"a.srec", "a.S19", "a.s28", "A.S37", "a.mot", "dataxsrec"})
        EXPECT_EQ(FileKindOf(name), FileKind::Srec) << name;
    EXPECT_EQ(FileKindOf("/tmp/firmware.ELF"), FileKind::Elf);
    EXPECT_EQ(FileKindOf("/tmp/a.s29"), FileKind::Other);
    EXPECT_EQ(FileKindOf("/tmp/a.rec"), FileKind::Other) << "only the whole of srec";
    EXPECT_EQ(FileKindOf("/tmp/a.txt"), FileKind::Other);
    EXPECT_EQ(FileKindOf("/tmp/a.hex.bak"), FileKind::Other);
    EXPECT_EQ(FileKindOf("/tmp/a.hex "), FileKind::Other);
    EXPECT_EQ(FileKindOf("ex"), FileKind::Other);
    EXPECT_EQ(FileKindOf(""), FileKind::Other);
}

TEST(FileKind, SuffixCountsCharactersNotBytes) {
    EXPECT_EQ(files::FileSuffix3("imagen.hex"), "hex");
    EXPECT_EQ(files::FileSuffix3("ab"), "ab");
    EXPECT_EQ(files::FileSuffix3("pequeño"), "eño");
    EXPECT_EQ(files::FileSuffix3("ñññ"), "ñññ");
    EXPECT_EQ(FileKindOf("tamaño.ñbin"), FileKind::Binary);
}

}  // namespace
}  // namespace tarpel::test
