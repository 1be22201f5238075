// SPDX-License-Identifier: Apache-2.0
// An ACE archive as a sequence of members: finds the archive in the first volume (also behind
// a self-extractor stub), reads the headers back to back, follows a multi-volume set from its
// first volume's name and joins the segments of a member that spans volumes.
// Part of platform/standins/unace; depends on POSIX and the standard library.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/standins/unace/AceHeaders.h"
#include "platform/standins/unace/BitReader.h"

namespace unace {

struct Segment {
    std::size_t volume = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

struct Member {
    FileHeader header;  // of the first segment, with the last segment's CRC
    std::uint64_t packedSize = 0;
    std::vector<Segment> segments;
    std::size_t firstVolume = 0;
    std::int32_t problem = 0;  // ACE_ERROR_VOLUME when a volume it continues in is missing or wrong

    bool isDirectory() const { return (header.attributes & kAttributeDirectory) != 0; }
};

class AceArchive {
public:
    // Throws AceError (ACE_ERROR_OPEN, ACE_ERROR_HEADER) when `firstVolume` holds no readable archive.
    static std::unique_ptr<AceArchive> open(const std::filesystem::path& firstVolume);
    ~AceArchive();
    AceArchive(const AceArchive&) = delete;
    AceArchive& operator=(const AceArchive&) = delete;

    const MainHeader& mainHeader() const { return volumes_.front().main; }
    const std::filesystem::path& volumePath(std::size_t volume) const { return volumes_.at(volume).path; }

    // The next member; nothing after the last. Throws AceError (ACE_ERROR_HEADER) when the
    // headers cannot be read any further.
    std::optional<Member> next();

    // The member's packed bytes, segment after segment. A segment cut short by the end of its
    // volume ends the stream early.
    std::unique_ptr<ByteSource> packedData(const Member& member) const;

private:
    struct Volume {
        std::filesystem::path path;
        int fd = -1;
        std::uint64_t size = 0;
        std::uint64_t start = 0;  // where the MAIN header begins
        MainHeader main;
    };
    AceArchive() = default;
    static Volume openVolume(const std::filesystem::path& path, bool searchStub);
    bool openNextVolume();
    Header readHeaderAt(Volume& volume, std::uint64_t pos);

    std::vector<Volume> volumes_;
    std::size_t current_ = 0;
    std::uint64_t pos_ = 0;
    bool ended_ = false;
};

// The next volume's name: NAME.ace -> NAME.c00, NAME.cNN -> NAME.c(NN+1), keeping the case of
// the extension's letter.
std::filesystem::path nextVolumeName(const std::filesystem::path& volume);

}  // namespace unace
