// PE headers, the section table, the resource tree and the version block,
// each read with its bounds checked: any bytes give an answer.
#include "tools/doctor/pe_version.h"

#include <cstdint>
#include <fstream>
#include <functional>

namespace doctor {
namespace {

// Reads up to `size` bytes at `offset`; fewer where the file ends.
using ReadAt = std::function<std::string(uint64_t offset, size_t size)>;

constexpr size_t ResourceSectionLimit = 16u << 20;  // a larger one is not read
constexpr uint32_t VersionResourceType = 16;        // RT_VERSION

uint16_t U16(const std::string& bytes, size_t at) {
    if (at + 2 > bytes.size()) return 0;
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint32_t U32(const std::string& bytes, size_t at) {
    return at + 4 > bytes.size() ? 0 : static_cast<uint32_t>(U16(bytes, at)) | static_cast<uint32_t>(U16(bytes, at + 2)) << 16;
}

// A UTF-16 text from `at` up to its NUL or `end`, as ASCII ('?' beyond);
// `next` gets the offset after the NUL.
std::string Utf16Text(const std::string& bytes, size_t at, size_t end, size_t& next) {
    std::string text;
    for (; at + 2 <= end; at += 2) {
        const uint16_t unit = U16(bytes, at);
        if (unit == 0) {
            at += 2;
            break;
        }
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    next = at;
    return text;
}

size_t Align4(size_t at) { return (at + 3) & ~size_t{3}; }

// Calls `visit` with each child block from `first` up to `end`: a block
// starts with its length, and the next one at the 4-byte boundary after it.
template <typename Visit> void ForEachChild(const std::string& bytes, size_t first, size_t end, Visit visit) {
    for (size_t child = Align4(first); child + 6 <= end;) {
        const size_t length = U16(bytes, child);
        if (length < 6) break;
        visit(child, child + length < end ? child + length : end);
        child = Align4(child + length);
    }
}

// A block's key; `next` gets the offset after it.
std::string Key(const std::string& bytes, size_t block, size_t end, size_t& next) {
    return Utf16Text(bytes, block + 6, end, next);
}

// A table of strings ("040904B0"): its children are the strings, each a
// block of wLength, wValueLength, wType (1: text), the key and the text.
void ReadStringTable(const std::string& bytes, size_t table, size_t end, PeVersion& version) {
    size_t next = 0;
    Key(bytes, table, end, next);
    ForEachChild(bytes, next, end, [&](size_t string, size_t stringEnd) {
        size_t value = 0;
        const std::string key = Key(bytes, string, stringEnd, value);
        if (U16(bytes, string + 4) != 1) return;
        const std::string text = Utf16Text(bytes, Align4(value), stringEnd, value);
        if (key == "ProductName") version.productName = text;
        if (key == "OriginalFilename") version.originalFilename = text;
        if (key == "FileVersion") version.fileVersion = text;
    });
}

// The root block ("VS_VERSION_INFO", its fixed part as the value): among its
// children, "StringFileInfo" holds the tables of strings.
void ReadVersionBlock(const std::string& bytes, size_t root, size_t end, PeVersion& version) {
    const size_t length = U16(bytes, root);
    if (length < 6 || root + length > end) return;
    const size_t rootEnd = root + length;
    size_t next = 0;
    Key(bytes, root, rootEnd, next);
    ForEachChild(bytes, Align4(next) + U16(bytes, root + 2), rootEnd, [&](size_t child, size_t childEnd) {
        size_t tables = 0;
        if (Key(bytes, child, childEnd, tables) != "StringFileInfo") return;
        ForEachChild(bytes, tables, childEnd, [&](size_t table, size_t tableEnd) {
            ReadStringTable(bytes, table, tableEnd, version);
        });
    });
}

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

PeVersion Read(const ReadAt& readAt) {
    PeVersion version;
    const std::string dos = readAt(0, 64);
    if (dos.size() < 64 || dos[0] != 'M' || dos[1] != 'Z') return version;
    const uint32_t peAt = U32(dos, 0x3C);
    const std::string signature = readAt(peAt, 4 + 20);
    if (signature.size() < 4 || signature.compare(0, 4, std::string("PE\0\0", 4)) != 0) return version;
    version.kind = PeKind::Truncated;
    if (signature.size() < 24) return version;
    const uint16_t sectionCount = U16(signature, 4 + 2);
    const uint16_t optionalSize = U16(signature, 4 + 16);
    const std::string optional = readAt(peAt + 24, optionalSize);
    if (optional.size() < optionalSize || optionalSize < 2) return version;
    const uint16_t magic = U16(optional, 0);
    const size_t directories = magic == 0x20B ? 112 : magic == 0x10B ? 96 : 0;
    if (directories == 0) return version;
    const uint32_t directoryCount = U32(optional, directories - 4);
    constexpr uint32_t ResourceDirectory = 2;
    version.kind = PeKind::NoVersion;
    if (directoryCount <= ResourceDirectory || directories + 8 * (ResourceDirectory + 1) > optional.size()) {
        return version;
    }
    const uint32_t resourceRva = U32(optional, directories + 8 * ResourceDirectory);
    if (resourceRva == 0) return version;

    const std::string table = readAt(peAt + 24 + optionalSize, static_cast<size_t>(sectionCount) * 40);
    if (table.size() < static_cast<size_t>(sectionCount) * 40) {
        version.kind = PeKind::Truncated;
        return version;
    }
    Section resources{};
    bool found = false;
    for (size_t i = 0; i < sectionCount && !found; ++i) {
        const Section section{U32(table, i * 40 + 12), U32(table, i * 40 + 8), U32(table, i * 40 + 16),
                              U32(table, i * 40 + 20)};
        const uint32_t span = section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
        if (resourceRva >= section.virtualAddress && resourceRva - section.virtualAddress < span) {
            resources = section;
            found = true;
        }
    }
    if (!found || resources.rawSize > ResourceSectionLimit) return version;
    const std::string data = readAt(resources.rawOffset, resources.rawSize);
    if (data.size() < resources.rawSize) {
        version.kind = PeKind::Truncated;
        return version;
    }
    const size_t root = resourceRva - resources.virtualAddress;

    // The tree: type, then name, then language. The version resource is the
    // type entry with the number 16; below it, the first entry of each level.
    constexpr uint32_t Subdirectory = 0x80000000u;
    const auto entry = [&data](size_t directory, bool versionType) -> uint32_t {
        const size_t count = static_cast<size_t>(U16(data, directory + 12)) + U16(data, directory + 14);
        for (size_t i = 0; i < count; ++i) {
            const size_t at = directory + 16 + i * 8;
            if (at + 8 > data.size()) break;
            if (!versionType || U32(data, at) == VersionResourceType) return U32(data, at + 4);
        }
        return 0;
    };
    uint32_t offset = entry(root, true);
    for (int level = 0; level < 2; ++level) {
        if ((offset & Subdirectory) == 0) return version;
        offset = entry(root + (offset & ~Subdirectory), false);
    }
    if ((offset & Subdirectory) != 0 || offset == 0) return version;
    const size_t dataEntry = root + offset;
    const uint32_t blockRva = U32(data, dataEntry);
    const uint32_t blockSize = U32(data, dataEntry + 4);
    if (blockRva < resources.virtualAddress) return version;
    const size_t block = blockRva - resources.virtualAddress;
    if (block >= data.size()) return version;
    const size_t end = blockSize < data.size() - block ? block + blockSize : data.size();
    version.kind = PeKind::Versioned;
    ReadVersionBlock(data, block, end, version);
    return version;
}

}  // namespace

PeVersion ReadPeVersion(const std::filesystem::path& file) {
    std::ifstream input(file, std::ios::binary);
    if (!input) return {};
    return Read([&input](uint64_t offset, size_t size) {
        std::string bytes(size, '\0');
        input.clear();
        input.seekg(static_cast<std::streamoff>(offset));
        if (!input) return std::string();
        input.read(bytes.data(), static_cast<std::streamsize>(size));
        bytes.resize(static_cast<size_t>(input.gcount()));
        return bytes;
    });
}

PeVersion ReadPeVersionFromBytes(const std::string& bytes) {
    return Read([&bytes](uint64_t offset, size_t size) {
        return offset >= bytes.size() ? std::string() : bytes.substr(static_cast<size_t>(offset), size);
    });
}

}  // namespace doctor
