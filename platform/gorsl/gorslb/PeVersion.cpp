// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/PeVersion.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

namespace gorsl {

namespace {
using platform::Failure;

constexpr std::uint32_t kResourceTypeVersion = 16;  // RT_VERSION
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uintmax_t kLargestImage = 1u << 30;

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::optional<std::uint16_t> u16(std::uint64_t at) const {
        if (at + 2 > bytes_.size()) return std::nullopt;
        return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    std::optional<std::uint32_t> u32(std::uint64_t at) const {
        if (at + 4 > bytes_.size()) return std::nullopt;
        return static_cast<std::uint32_t>(bytes_[at]) | static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
               static_cast<std::uint32_t>(bytes_[at + 2]) << 16 | static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

std::optional<std::uint64_t> fileOffsetOf(const std::vector<Section>& sections, std::uint32_t rva) {
    for (const auto& s : sections) {
        std::uint32_t size = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < size) {
            std::uint64_t inSection = rva - s.virtualAddress;
            if (inSection >= s.rawSize) return std::nullopt;  // not backed by the file
            return std::uint64_t{s.rawOffset} + inSection;
        }
    }
    return std::nullopt;
}

// The first entry of a resource directory with the given id, or simply the first entry.
// Returns the entry's OffsetToData field.
std::optional<std::uint32_t> directoryEntry(const Reader& r, std::uint64_t directory, std::optional<std::uint32_t> id) {
    auto named = r.u16(directory + 12);
    auto ids = r.u16(directory + 14);
    if (!named || !ids) return std::nullopt;
    std::uint32_t count = std::uint32_t{*named} + *ids;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint64_t entry = directory + 16 + std::uint64_t{i} * 8;
        auto name = r.u32(entry);
        auto data = r.u32(entry + 4);
        if (!name || !data) return std::nullopt;
        if (!id || (!(*name & 0x80000000u) && *name == *id)) return data;
    }
    return std::nullopt;
}
}  // namespace

std::string FileVersion::text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build) + "." +
           std::to_string(revision);
}

platform::Expected<FileVersion> readFileVersion(std::span<const std::uint8_t> image) {
    const Reader r(image);
    if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z') return Failure{"not a PE image (no MZ header)"};
    auto peOffset = r.u32(0x3C);
    auto signature = peOffset ? r.u32(*peOffset) : std::nullopt;
    if (!signature || *signature != 0x00004550u) return Failure{"not a PE image (no PE signature)"};
    const std::uint64_t coff = std::uint64_t{*peOffset} + 4;
    auto sectionCount = r.u16(coff + 2);
    auto optionalSize = r.u16(coff + 16);
    const std::uint64_t optional = coff + 20;
    auto magic = r.u16(optional);
    if (!sectionCount || !optionalSize || !magic) return Failure{"truncated PE header"};
    std::uint64_t directories = 0, directoryCountAt = 0;
    if (*magic == 0x10B) {
        directoryCountAt = optional + 92;
        directories = optional + 96;
    } else if (*magic == 0x20B) {
        directoryCountAt = optional + 108;
        directories = optional + 112;
    } else {
        return Failure{"unknown PE optional header"};
    }
    auto directoryCount = r.u32(directoryCountAt);
    if (!directoryCount || *directoryCount < 3) return Failure{"no version resource (no resource directory)"};
    auto resourceRva = r.u32(directories + 2 * 8);
    auto resourceSize = r.u32(directories + 2 * 8 + 4);
    if (!resourceRva || !resourceSize || *resourceRva == 0) return Failure{"no version resource (no resources)"};

    std::vector<Section> sections;
    const std::uint64_t sectionTable = optional + *optionalSize;
    for (std::uint32_t i = 0; i < *sectionCount; ++i) {
        std::uint64_t s = sectionTable + std::uint64_t{i} * 40;
        auto vsize = r.u32(s + 8), va = r.u32(s + 12), rawSize = r.u32(s + 16), rawOffset = r.u32(s + 20);
        if (!vsize || !va || !rawSize || !rawOffset) return Failure{"truncated section table"};
        sections.push_back({*va, *vsize, *rawSize, *rawOffset});
    }
    auto root = fileOffsetOf(sections, *resourceRva);
    if (!root) return Failure{"resource directory outside the file"};

    // Type RT_VERSION, then the first name, then the first language.
    auto typeEntry = directoryEntry(r, *root, kResourceTypeVersion);
    if (!typeEntry || !(*typeEntry & 0x80000000u)) return Failure{"no version resource"};
    auto nameEntry = directoryEntry(r, *root + (*typeEntry & 0x7FFFFFFFu), std::nullopt);
    if (!nameEntry || !(*nameEntry & 0x80000000u)) return Failure{"malformed version resource directory"};
    auto languageEntry = directoryEntry(r, *root + (*nameEntry & 0x7FFFFFFFu), std::nullopt);
    if (!languageEntry || (*languageEntry & 0x80000000u)) return Failure{"malformed version resource directory"};
    const std::uint64_t dataEntry = *root + *languageEntry;
    auto dataRva = r.u32(dataEntry);
    auto dataSize = r.u32(dataEntry + 4);
    if (!dataRva || !dataSize) return Failure{"malformed version resource entry"};
    auto data = fileOffsetOf(sections, *dataRva);
    if (!data || *data + *dataSize > image.size()) return Failure{"version resource outside the file"};

    // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding, VS_FIXEDFILEINFO.
    static constexpr char16_t kKey[] = u"VS_VERSION_INFO";
    const std::uint64_t key = *data + 6;
    for (std::size_t i = 0; i < sizeof kKey / sizeof kKey[0]; ++i) {
        auto c = r.u16(key + 2 * i);
        if (!c || *c != kKey[i]) return Failure{"malformed version resource (no VS_VERSION_INFO)"};
    }
    auto valueLength = r.u16(*data + 2);
    const std::uint64_t fixed = (key + sizeof kKey + 3) & ~std::uint64_t{3};
    auto fixedSignature = r.u32(fixed);
    if (!valueLength || *valueLength < 52 || fixed + 52 > *data + *dataSize || !fixedSignature ||
        *fixedSignature != kFixedInfoSignature)
        return Failure{"version resource without a fixed file version"};
    auto ms = r.u32(fixed + 8), ls = r.u32(fixed + 12);
    if (!ms || !ls) return Failure{"truncated fixed file version"};
    return FileVersion{static_cast<std::uint16_t>(*ms >> 16), static_cast<std::uint16_t>(*ms & 0xFFFF),
                       static_cast<std::uint16_t>(*ls >> 16), static_cast<std::uint16_t>(*ls & 0xFFFF)};
}

platform::Expected<FileVersion> readFileVersion(const std::filesystem::path& file) {
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    if (error) return Failure{error.message(), error};
    if (size > kLargestImage) return Failure{"file too large for a PE image"};
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return Failure{"cannot read the file"};
    return readFileVersion(std::span<const std::uint8_t>(bytes));
}

}  // namespace gorsl
