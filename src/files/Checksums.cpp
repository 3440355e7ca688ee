#include "files/Checksums.h"

#include <array>
#include <cstdio>

#include "shell/Translate.h"

namespace tarpel::files {

namespace {

// One entry per byte value: the register after shifting that byte through eight rounds.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t value = 0; value < table.size(); ++value) {
        std::uint32_t crc = value;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        table[value] = crc;
    }
    return table;
}

constexpr auto CrcTable = MakeCrcTable();

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) crc = (crc >> 8) ^ CrcTable[(crc ^ byte) & 0xFFu];
    return crc ^ 0xFFFFFFFFu;
}

std::uint16_t Sum16(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (const std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

Checksums ChecksumsOf(std::span<const std::uint8_t> bytes) { return {Crc32(bytes), Sum16(bytes)}; }

std::string ChecksumText(const Checksums& checksums) {
    char text[32];
    std::snprintf(text, sizeof text, Tr("CRC32 %08X, suma 0x%04X"), static_cast<unsigned>(checksums.crc32),
                  static_cast<unsigned>(checksums.sum));
    return text;
}

}  // namespace tarpel::files
