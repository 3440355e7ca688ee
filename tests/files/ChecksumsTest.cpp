// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "files/Checksums.h"

namespace tarpel::test {
namespace {

// zlib's crc32 is the independent reference; the sum is added up here on its own.
TEST(Checksums, AgreeWithZlibAndAPlainSumForEveryChipSize) {
    std::mt19937 random(16);
    for (const std::size_t size : {0u, 1u, 3u, 13u, 512u, 1000u, 16384u, 65536u}) {
        std::vector<std::uint8_t> bytes(size);
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
        unsigned sum = 0;
        for (const auto byte : bytes) sum = (sum + byte) % 65536;
        const auto zlib = ::crc32(::crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size()));

        const files::Checksums checksums = files::ChecksumsOf(bytes);
        EXPECT_EQ(checksums.crc32, zlib) << size;
        EXPECT_EQ(checksums.sum, sum) << size;
    }
    // A blank 24C04 sums past 16 bits: 512 x 0xFF = 0x1FE00 keeps 0xFE00.
    const std::vector<std::uint8_t> blank(512, 0xFF);
    EXPECT_EQ(files::Sum16(blank), 0xFE00);
    EXPECT_EQ(files::Crc32(blank), ::crc32(::crc32(0L, Z_NULL, 0), blank.data(), 512u));
}

TEST(Checksums, TextGivesEveryDigitInUpperCase) {
    const std::vector<std::uint8_t> check{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(files::ChecksumText(files::ChecksumsOf(check)), "CRC32 CBF43926, suma 0x01DD");
    EXPECT_EQ(files::ChecksumText({0x0000ABCD, 0x000F}), "CRC32 0000ABCD, suma 0x000F");
}

}  // namespace
}  // namespace tarpel::test
