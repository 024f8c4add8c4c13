// The headers of a candidate language library, read before the system's
// loader sees the file: a file cut short, or built for another machine, is
// refused here with a reason, where the loader would crash (a segment
// mapped past the end of the file) or say something misleading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace textresgen::detail {

// Reads `size` bytes at `offset` of the file into `into`; false when it cannot.
using ReadAt = std::function<bool(std::uint64_t offset, void* into, std::size_t size)>;

// "" when the ELF headers of a file of `fileSize` bytes describe a shared
// library for the machine of the ELF image whose header is at `own` (the
// running program's, as mapped in memory) and every part the loader maps
// (each PT_LOAD segment's file part) and the section header table lie
// within the file; else why not.
std::string CheckElfHeaders(const ReadAt& read, std::uint64_t fileSize, const unsigned char* own);

// The same for a PE file (a DLL): the machine of the image at `own`, and
// each section's raw data within the file.
std::string CheckPeHeaders(const ReadAt& read, std::uint64_t fileSize, const unsigned char* own);

}  // namespace textresgen::detail

// ELF and PE headers read field by field at their offsets, in the file's
// byte order: no system header is needed, so both checks build everywhere.
#include <string>
#include <vector>

namespace textresgen::detail {
namespace library_headers_impl {

inline std::uint64_t Field(const unsigned char* bytes, std::size_t offset, std::size_t width, bool bigEndian) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= std::uint64_t{bytes[offset + i]} << (8 * (bigEndian ? width - 1 - i : i));
    return value;
}

// True when `count` entries of `width` bytes at `offset` fit in `fileSize`.
inline bool Within(std::uint64_t offset, std::uint64_t count, std::uint64_t width, std::uint64_t fileSize) {
    return offset <= fileSize && (width == 0 || count <= (fileSize - offset) / width);
}

inline const char* ElfMachineName(std::uint64_t machine) {
    switch (machine) {
        case 3: return "x86";
        case 8: return "MIPS";
        case 20: return "PowerPC";
        case 21: return "PowerPC64";
        case 22: return "s390";
        case 40: return "ARM";
        case 62: return "x86-64";
        case 183: return "AArch64";
        case 243: return "RISC-V";
        case 258: return "LoongArch";
        default: return nullptr;
    }
}

inline const char* PeMachineName(std::uint64_t machine) {
    switch (machine) {
        case 0x14C: return "x86";
        case 0x1C4: return "ARM";
        case 0x8664: return "x86-64";
        case 0xAA64: return "ARM64";
        default: return nullptr;
    }
}

inline std::string MachineText(const char* name, std::uint64_t machine, const char* width) {
    std::string text = name != nullptr ? name : "machine " + std::to_string(machine);
    if (width != nullptr) text += std::string(", ") + width;
    return text;
}

inline std::string OtherMachine(const std::string& its, const std::string& ours) {
    return "built for another machine (" + its + "; this program is " + ours + ")";
}

// The ELF identity of an image: its class (1: 32-bit, 2: 64-bit), byte
// order (1: little, 2: big endian) and machine.
struct ElfIdentity {
    unsigned char elfClass;
    unsigned char byteOrder;
    std::uint64_t machine;
};

inline bool IsElf(const unsigned char* header) {
    return header[0] == 0x7F && header[1] == 'E' && header[2] == 'L' && header[3] == 'F';
}

inline ElfIdentity ElfIdentityOf(const unsigned char* header) {
    return {header[4], header[5], Field(header, 18, 2, header[5] == 2)};
}

inline std::string ElfMachineText(const ElfIdentity& identity) {
    return MachineText(ElfMachineName(identity.machine), identity.machine,
                       identity.elfClass == 1 ? "32-bit" : identity.elfClass == 2 ? "64-bit" : nullptr);
}

}  // namespace library_headers_impl
using namespace library_headers_impl;

inline std::string CheckElfHeaders(const ReadAt& read, std::uint64_t fileSize, const unsigned char* own) {
    const std::string cut = "it is cut short or damaged (" + std::to_string(fileSize) + " bytes): ";
    unsigned char header[64] = {};
    if (fileSize < 52 || !read(0, header, fileSize < sizeof header ? 52 : sizeof header))
        return cut + "too short for a shared library's header";
    if (!IsElf(header)) return "it is not a shared library (no ELF header)";
    const ElfIdentity its = ElfIdentityOf(header);
    if (its.elfClass != 1 && its.elfClass != 2) return "its ELF header is damaged (class " + std::to_string(its.elfClass) + ")";
    if (its.byteOrder != 1 && its.byteOrder != 2) return "its ELF header is damaged (byte order " + std::to_string(its.byteOrder) + ")";
    if (own != nullptr && IsElf(own)) {
        const ElfIdentity ours = ElfIdentityOf(own);
        if (its.elfClass != ours.elfClass || its.byteOrder != ours.byteOrder || its.machine != ours.machine)
            return OtherMachine(ElfMachineText(its), ElfMachineText(ours));
    }
    const bool big = its.byteOrder == 2;
    const bool wide = its.elfClass == 2;
    if (wide && fileSize < 64) return cut + "too short for a shared library's header";
    if (Field(header, 16, 2, big) != 3) return "it is not a shared library (ELF type " + std::to_string(Field(header, 16, 2, big)) + ")";

    const std::uint64_t phoff = Field(header, wide ? 32 : 28, wide ? 8 : 4, big);
    const std::uint64_t shoff = Field(header, wide ? 40 : 32, wide ? 8 : 4, big);
    const std::uint64_t phentsize = Field(header, wide ? 54 : 42, 2, big);
    const std::uint64_t phnum = Field(header, wide ? 56 : 44, 2, big);
    const std::uint64_t shentsize = Field(header, wide ? 58 : 46, 2, big);
    const std::uint64_t shnum = Field(header, wide ? 60 : 48, 2, big);
    if (phentsize != (wide ? 56u : 32u) || phnum == 0 || phnum == 0xFFFF)
        return "its ELF header is damaged (program headers)";
    if (!Within(phoff, phnum, phentsize, fileSize)) return cut + "its program headers lie past the end";

    std::vector<unsigned char> table(static_cast<std::size_t>(phnum * phentsize));
    if (!read(phoff, table.data(), table.size())) return cut + "its program headers cannot be read";
    for (std::uint64_t i = 0; i < phnum; ++i) {
        const unsigned char* entry = table.data() + i * phentsize;
        if (Field(entry, 0, 4, big) != 1) continue;  // PT_LOAD
        const std::uint64_t offset = Field(entry, wide ? 8 : 4, wide ? 8 : 4, big);
        const std::uint64_t size = Field(entry, wide ? 32 : 16, wide ? 8 : 4, big);
        if (!Within(offset, size, 1, fileSize))
            return cut + "a segment of " + std::to_string(size) + " bytes at " + std::to_string(offset) +
                   " lies past the end";
    }
    // A section count of 0 with a table present keeps the real count in the first entry.
    if (shoff != 0 && !Within(shoff, shnum == 0 ? 1 : shnum, shentsize, fileSize))
        return cut + "its section header table lies past the end";
    return "";
}

inline std::string CheckPeHeaders(const ReadAt& read, std::uint64_t fileSize, const unsigned char* own) {
    const std::string cut = "it is cut short or damaged (" + std::to_string(fileSize) + " bytes): ";
    unsigned char dos[64] = {};
    if (fileSize < sizeof dos || !read(0, dos, sizeof dos)) return cut + "too short for a library's header";
    if (dos[0] != 'M' || dos[1] != 'Z') return "it is not a library (no MZ header)";
    const std::uint64_t pe = Field(dos, 0x3C, 4, false);
    unsigned char file[24] = {};
    if (!Within(pe, 1, sizeof file, fileSize) || !read(pe, file, sizeof file)) return cut + "its PE header lies past the end";
    if (file[0] != 'P' || file[1] != 'E' || file[2] != 0 || file[3] != 0) return "it is not a library (no PE header)";
    const std::uint64_t machine = Field(file, 4, 2, false);
    if (own != nullptr && own[0] == 'M' && own[1] == 'Z') {
        const unsigned char* ownFile = own + Field(own, 0x3C, 4, false);
        const std::uint64_t ours = Field(ownFile, 4, 2, false);
        if (machine != ours)
            return OtherMachine(MachineText(PeMachineName(machine), machine, nullptr),
                                MachineText(PeMachineName(ours), ours, nullptr));
    }
    if ((Field(file, 22, 2, false) & 0x2000) == 0) return "it is not a library (not a DLL)";
    const std::uint64_t sections = Field(file, 6, 2, false);
    const std::uint64_t table = pe + sizeof file + Field(file, 20, 2, false);
    if (!Within(table, sections, 40, fileSize)) return cut + "its section table lies past the end";
    std::vector<unsigned char> entries(static_cast<std::size_t>(sections * 40));
    if (!entries.empty() && !read(table, entries.data(), entries.size())) return cut + "its section table cannot be read";
    for (std::uint64_t i = 0; i < sections; ++i) {
        const std::uint64_t size = Field(entries.data() + i * 40, 16, 4, false);
        const std::uint64_t offset = Field(entries.data() + i * 40, 20, 4, false);
        if (size != 0 && !Within(offset, size, 1, fileSize))
            return cut + "a section of " + std::to_string(size) + " bytes at " + std::to_string(offset) +
                   " lies past the end";
    }
    // The COFF symbol table and the string table after it (of the size its
    // first four bytes give), which MinGW leaves at the end of the file.
    const std::uint64_t symbols = Field(file, 12, 4, false);
    const std::uint64_t symbolCount = Field(file, 16, 4, false);
    if (symbols != 0) {
        const std::uint64_t strings = symbols + symbolCount * 18;
        unsigned char length[4] = {};
        if (!Within(symbols, symbolCount, 18, fileSize) || !Within(strings, 1, sizeof length, fileSize) ||
            !read(strings, length, sizeof length) || !Within(strings, 1, Field(length, 0, 4, false), fileSize))
            return cut + "its symbol table lies past the end";
    }
    return "";
}

}  // namespace textresgen::detail
