#include <gtest/gtest.h>

#include "files/FileKind.h"

namespace tarpel::test {
namespace {

using files::FileKind;
using files::FileKindOf;

TEST(FileKind, DecidesByTheLastThreeCharactersInAnyCase) {
    EXPECT_EQ(FileKindOf("/tmp/a.hex"), FileKind::Hex);
    EXPECT_EQ(FileKindOf("/tmp/a.Hex"), FileKind::Hex);
    EXPECT_EQ(FileKindOf("/tmp/a.HEX"), FileKind::Hex);
    EXPECT_EQ(FileKindOf("/tmp/a.bIn"), FileKind::Binary);
    EXPECT_EQ(FileKindOf("/tmp/dataxbin"), FileKind::Binary) << "the dot is not looked at";
    EXPECT_EQ(FileKindOf("hex"), FileKind::Hex);
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
