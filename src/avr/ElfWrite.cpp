// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ElfWrite.h"

#include <elf.h>

#include <algorithm>
#include <span>
#include <string_view>

#include "files/AtomicFile.h"

namespace tarpel::avr {

namespace {

// Sizes of the 32-bit ELF structures as the file holds them.
constexpr std::uint32_t HeaderSize = 52;
constexpr std::uint32_t SegmentEntrySize = 32;
constexpr std::uint32_t SectionEntrySize = 40;

// One memory as the file carries it: a section and the load segment that places it.
struct Part {
    std::string_view name;
    std::uint32_t address;  // load and run address alike, as avr-ld gives the non-RAM spaces
    std::uint32_t sectionFlags;
    std::uint32_t segmentFlags;
    std::span<const std::uint8_t> bytes;
    std::uint32_t offset = 0;  // where the bytes start in the file
    std::uint32_t nameIndex = 0;
};

// All fields little-endian, whatever the host.
class Writer {
public:
    void U8(std::uint8_t value) { bytes_.push_back(value); }
    void U16(std::uint16_t value) {
        U8(static_cast<std::uint8_t>(value));
        U8(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value) {
        U16(static_cast<std::uint16_t>(value));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    void Bytes(std::span<const std::uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
    void Text(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        U8(0);
    }
    void AlignTo(std::size_t alignment) {
        while (bytes_.size() % alignment != 0) U8(0);
    }
    std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::vector<std::uint8_t> ElfBytes(const ElfContents& contents) {
    // avr-libc's signature.h stores the three bytes last one first; ElfRead turns them round.
    std::vector<std::uint8_t> signature(contents.signature.rbegin(), contents.signature.rend());
    const std::vector<std::uint8_t> lock = contents.lock ? std::vector<std::uint8_t>{*contents.lock}
                                                         : std::vector<std::uint8_t>{};
    constexpr std::uint32_t Data = SHF_ALLOC | SHF_WRITE;
    const Part all[] = {
        {".text", 0x000000, SHF_ALLOC | SHF_EXECINSTR, PF_R | PF_X, contents.flash},
        {".eeprom", 0x810000, Data, PF_R | PF_W, contents.eeprom},
        {".fuse", 0x820000, Data, PF_R | PF_W, contents.fuses},
        {".lock", 0x830000, Data, PF_R | PF_W, lock},
        {".signature", 0x840000, Data, PF_R | PF_W, signature},
    };
    std::vector<Part> parts;
    std::copy_if(std::begin(all), std::end(all), std::back_inserter(parts),
                 [](const Part& part) { return !part.bytes.empty(); });

    // Layout: header, program headers, the memories one after the other, the section names,
    // then the section headers (null, one per memory, the names' table).
    const auto segmentCount = static_cast<std::uint16_t>(parts.size());
    const auto sectionCount = static_cast<std::uint16_t>(parts.size() + 2);
    std::uint32_t offset = HeaderSize + SegmentEntrySize * segmentCount;
    for (Part& part : parts) {
        part.offset = offset;
        offset += static_cast<std::uint32_t>(part.bytes.size());
    }
    const std::uint32_t namesOffset = offset;
    std::uint32_t namesSize = 1;  // the empty name of the null section
    for (Part& part : parts) {
        part.nameIndex = namesSize;
        namesSize += static_cast<std::uint32_t>(part.name.size() + 1);
    }
    const std::string_view namesName = ".shstrtab";
    const std::uint32_t namesNameIndex = namesSize;
    namesSize += static_cast<std::uint32_t>(namesName.size() + 1);
    const std::uint32_t sectionsOffset = (namesOffset + namesSize + 3) & ~std::uint32_t{3};

    Writer file;
    // e_ident: ELF mark, 32-bit, little-endian, version 1, System V ABI.
    for (const std::uint8_t byte : {std::uint8_t{ELFMAG0}, std::uint8_t{ELFMAG1}, std::uint8_t{ELFMAG2},
                                    std::uint8_t{ELFMAG3}, std::uint8_t{ELFCLASS32}, std::uint8_t{ELFDATA2LSB},
                                    std::uint8_t{EV_CURRENT}, std::uint8_t{ELFOSABI_SYSV}})
        file.U8(byte);
    while (file.Size() < EI_NIDENT) file.U8(0);
    // A linked program: ElfRead, like avr-objcopy, takes the memories from an executable alone.
    file.U16(ET_EXEC);
    file.U16(EM_AVR);
    file.U32(EV_CURRENT);
    file.U32(0);  // entry: the reset vector
    file.U32(segmentCount ? HeaderSize : 0);
    file.U32(sectionsOffset);
    file.U32(contents.architecture);
    file.U16(HeaderSize);
    file.U16(SegmentEntrySize);
    file.U16(segmentCount);
    file.U16(SectionEntrySize);
    file.U16(sectionCount);
    file.U16(static_cast<std::uint16_t>(sectionCount - 1));  // the names' table comes last

    for (const Part& part : parts) {
        const auto size = static_cast<std::uint32_t>(part.bytes.size());
        file.U32(PT_LOAD);
        file.U32(part.offset);
        file.U32(part.address);  // p_vaddr
        file.U32(part.address);  // p_paddr: the load address that tells the memory
        file.U32(size);
        file.U32(size);
        file.U32(part.segmentFlags);
        file.U32(1);
    }
    for (const Part& part : parts) file.Bytes(part.bytes);
    file.U8(0);
    for (const Part& part : parts) file.Text(part.name);
    file.Text(namesName);
    file.AlignTo(4);

    const auto section = [&file](std::uint32_t name, std::uint32_t type, std::uint32_t flags, std::uint32_t address,
                                 std::uint32_t at, std::uint32_t size) {
        const std::uint32_t alignment = type == SHT_NULL ? 0 : 1;
        for (const std::uint32_t field : {name, type, flags, address, at, size, 0u, 0u, alignment, 0u}) file.U32(field);
    };
    section(0, SHT_NULL, 0, 0, 0, 0);
    for (const Part& part : parts) {
        section(part.nameIndex, SHT_PROGBITS, part.sectionFlags, part.address, part.offset,
                static_cast<std::uint32_t>(part.bytes.size()));
    }
    section(namesNameIndex, SHT_STRTAB, 0, 0, namesOffset, namesSize);
    return file.Take();
}

bool ElfWrite(const std::string& fileName, const ElfContents& contents) {
    return files::WriteFileAtomically(fileName, ElfBytes(contents));
}

}  // namespace tarpel::avr
