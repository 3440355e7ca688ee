// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ElfRead.h"

#include <fcntl.h>
#include <libelf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <span>
#include <string_view>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view UnreadableText = TrNoop("No se puede abrir el fichero!!");
constexpr std::string_view NotElfText = TrNoop("El fichero no es un ELF valido!!");
constexpr std::string_view Elf64Text =
    TrNoop("El fichero ELF es de 64 bits: solo valen los de 32 bits, como los de avr-gcc!!");
constexpr std::string_view NotProgramText =
    TrNoop("El fichero ELF no es un programa enlazado (es un objeto o una biblioteca)!!");
constexpr std::string_view DamagedText = TrNoop("El fichero ELF esta incompleto o corrupto!!");

using MemoryBytes = std::vector<std::uint8_t> ElfReadResult::*;

constexpr MemoryBytes BytesOf(ElfMemory memory) {
    switch (memory) {
    case ElfMemory::Flash:
        return &ElfReadResult::flash;
    case ElfMemory::Eeprom:
        return &ElfReadResult::eeprom;
    case ElfMemory::Fuses:
        return &ElfReadResult::fuses;
    case ElfMemory::Lock:
        return &ElfReadResult::lock;
    case ElfMemory::Signature:
        return &ElfReadResult::signature;
    }
    return &ElfReadResult::flash;
}

// Where avr-ld's linker scripts put each memory: a section's load address tells its memory.
// The data space (0x800000, RAM without a load address) is not here, nor anything above the
// signature: what lies there is left out, as the usual avr-objcopy calls
// leave it out.
struct Space {
    ElfMemory memory;
    std::uint64_t start;
    std::uint64_t size;
};
constexpr Space Spaces[] = {
    {ElfMemory::Flash, 0x000000, 0x800000},
    {ElfMemory::Eeprom, 0x810000, 0x10000},
    {ElfMemory::Fuses, 0x820000, 0x10000},
    {ElfMemory::Lock, 0x830000, 0x10000},
    {ElfMemory::Signature, 0x840000, 0x10000},
};

// The machines an ELF file picked by mistake is most likely built for.
std::string MachineName(unsigned machine) {
    struct Named {
        unsigned machine;
        std::string_view name;
    };
    constexpr Named Machines[] = {{EM_386, "x86"},    {EM_X86_64, "x86-64"}, {EM_ARM, "ARM"},
                                  {EM_AARCH64, "ARM64"}, {EM_MIPS, "MIPS"}, {EM_RISCV, "RISC-V"},
                                  {EM_MSP430, "MSP430"}, {EM_XTENSA, "Xtensa"}};
    for (const auto& named : Machines) {
        if (named.machine == machine) return std::string(named.name);
    }
    return shell::Fill(Tr("maquina %1"), {machine});
}

std::string MissingText(ElfMemory memory) {
    switch (memory) {
    case ElfMemory::Flash:
        return Tr("El fichero ELF no tiene datos para la flash!!");
    case ElfMemory::Eeprom:
        return Tr("El fichero ELF no tiene datos para la eeprom interna (seccion .eeprom)!!");
    case ElfMemory::Fuses:
        return Tr("El fichero ELF no tiene fuses (seccion .fuse)!!");
    case ElfMemory::Lock:
        return Tr("El fichero ELF no tiene bits de bloqueo (seccion .lock)!!");
    case ElfMemory::Signature:
        return Tr("El fichero ELF no tiene firma del micro (seccion .signature)!!");
    }
    return {};
}

// A section's load address, found as binutils finds it: a loadable section inside a load
// segment loads at the segment's physical address plus its offset there (so .data's initial
// values follow .text in flash); a section in no segment loads at its own address.
std::uint64_t LoadAddress(const Elf32_Shdr& section, std::span<const Elf32_Phdr> segments) {
    for (const Elf32_Phdr& segment : segments) {
        if (segment.p_type != PT_LOAD) continue;
        const std::uint64_t offset = section.sh_offset;
        const std::uint64_t address = section.sh_addr;
        const std::uint64_t end = offset + section.sh_size;
        const bool inFile = offset >= segment.p_offset && end <= std::uint64_t{segment.p_offset} + segment.p_filesz;
        const bool inMemory = address >= segment.p_vaddr &&
                              address + section.sh_size <= std::uint64_t{segment.p_vaddr} + segment.p_memsz;
        if (inFile && inMemory) return std::uint64_t{segment.p_paddr} + (offset - segment.p_offset);
    }
    return section.sh_addr;
}

struct OpenFile {
    explicit OpenFile(const std::string& fileName) : fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    const int fd;
};

// Places the file's loadable sections into result; returns the reason when it cannot.
std::string ReadSections(const std::string& fileName, ElfReadResult& result) {
    if (elf_version(EV_CURRENT) == EV_NONE) return std::string(DamagedText);
    const OpenFile file(fileName);
    const int fd = file.fd;
    if (fd < 0) return std::string(UnreadableText);
    // A folder opens like a file on this system and only fails when read.
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) return std::string(UnreadableText);
    // libelf reads each part when it is asked for, and never past the end of the file: a part
    // that lies beyond it comes back as an error, or, for the two tables, as no table at all.
    const std::unique_ptr<Elf, decltype(&elf_end)> elf(elf_begin(fd, ELF_C_READ, nullptr), &elf_end);
    if (!elf) return std::string(DamagedText);
    if (elf_kind(elf.get()) != ELF_K_ELF) {
        // The ELF mark with too little after it is an ELF file cut short, not another kind.
        char mark[SELFMAG] = {};
        const bool marked = ::pread(fd, mark, SELFMAG, 0) == SELFMAG && std::equal(mark, mark + SELFMAG, ELFMAG);
        return std::string(marked ? DamagedText : NotElfText);
    }
    const char* ident = elf_getident(elf.get(), nullptr);
    if (ident == nullptr) return std::string(DamagedText);
    if (ident[EI_CLASS] == ELFCLASS64) return std::string(Elf64Text);
    if (ident[EI_CLASS] != ELFCLASS32) return std::string(DamagedText);
    // Every AVR toolchain writes little-endian files; read as big-endian, an AVR file's machine
    // number would come out byte-swapped and name no processor at all.
    if (ident[EI_DATA] == ELFDATA2MSB) return Tr("El fichero ELF es big-endian: no es un programa para AVR!!");
    const Elf32_Ehdr* header = elf32_getehdr(elf.get());
    if (header == nullptr) return std::string(DamagedText);
    if (header->e_machine != EM_AVR) {
        return shell::Fill(Tr("El fichero ELF es para otro procesador (%1), no para AVR!!"),
                           {MachineName(header->e_machine)});
    }
    // An object file's sections all start at 0: its EEPROM data would land in flash.
    if (header->e_type != ET_EXEC) return std::string(NotProgramText);

    // Fewer entries than the header announces: a table did not fit in the file.
    std::size_t segmentCount = 0;
    std::size_t sectionCount = 0;
    if (elf_getphdrnum(elf.get(), &segmentCount) != 0 || elf_getshdrnum(elf.get(), &sectionCount) != 0 ||
        (header->e_phnum != PN_XNUM && segmentCount != header->e_phnum) ||
        (header->e_shnum != 0 && sectionCount != header->e_shnum) || (header->e_shoff != 0 && sectionCount == 0)) {
        return std::string(DamagedText);
    }
    const Elf32_Phdr* segments = segmentCount > 0 ? elf32_getphdr(elf.get()) : nullptr;
    if (segmentCount > 0 && segments == nullptr) return std::string(DamagedText);

    for (std::size_t index = 1; index < sectionCount; ++index) {
        Elf_Scn* section = elf_getscn(elf.get(), index);
        const Elf32_Shdr* sectionHeader = section != nullptr ? elf32_getshdr(section) : nullptr;
        if (sectionHeader == nullptr) return std::string(DamagedText);
        // Only what takes room in the file and is meant for the device: no .bss, no debug data.
        if ((sectionHeader->sh_flags & SHF_ALLOC) == 0 || sectionHeader->sh_type == SHT_NOBITS ||
            sectionHeader->sh_size == 0) {
            continue;
        }
        const std::uint64_t address = LoadAddress(*sectionHeader, std::span(segments, segmentCount));
        const auto space = std::find_if(std::begin(Spaces), std::end(Spaces), [address](const Space& s) {
            return address >= s.start && address - s.start < s.size;
        });
        if (space == std::end(Spaces)) continue;
        const std::uint64_t offset = address - space->start;
        if (offset + sectionHeader->sh_size > space->size) return std::string(DamagedText);
        const Elf_Data* data = elf_getdata(section, nullptr);
        if (data == nullptr || data->d_buf == nullptr || data->d_size != sectionHeader->sh_size) {
            return std::string(DamagedText);
        }
        auto& bytes = result.*BytesOf(space->memory);
        const std::size_t end = static_cast<std::size_t>(offset) + data->d_size;
        if (bytes.size() < end) bytes.resize(end, 0xFF);
        const auto* from = static_cast<const std::uint8_t*>(data->d_buf);
        std::copy(from, from + data->d_size, bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    // avr-libc's signature.h stores the three bytes last one first.
    std::reverse(result.signature.begin(), result.signature.end());
    return {};
}

}  // namespace

const std::vector<std::uint8_t>& ElfReadResult::Memory(ElfMemory memory) const { return this->*BytesOf(memory); }

ElfReadResult ElfRead(const std::string& fileName, ElfMemory wanted) {
    ElfReadResult result;
    result.error = ReadSections(fileName, result);
    if (result.error.empty() && result.Memory(wanted).empty()) result.error = MissingText(wanted);
    return result;
}

}  // namespace tarpel::avr
