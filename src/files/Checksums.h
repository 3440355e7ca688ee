// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Checksums of a memory image, for comparing a chip or a file with what another tool reports:
// the CRC-32 of zlib, PNG and Ethernet, and the plain 16-bit sum of the bytes that EPROM
// programmers have long shown. Pure computation; nothing here reads a chip or a file.
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

struct Checksums {
    std::uint32_t crc32 = 0;
    std::uint16_t sum = 0;  // the bytes added up, modulo 65536

    bool operator==(const Checksums&) const = default;
};

// CRC-32 with the reflected polynomial 0xEDB88320, preset and final inversion: what zlib's
// crc32() and "crc32 FILE" give for the same bytes.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);
std::uint16_t Sum16(std::span<const std::uint8_t> bytes);
Checksums ChecksumsOf(std::span<const std::uint8_t> bytes);

// "CRC32 1A2B3C4D, suma 0x1234": eight and four upper-case hexadecimal digits.
std::string ChecksumText(const Checksums& checksums);

}  // namespace tarpel::files
