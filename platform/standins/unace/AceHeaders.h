// SPDX-License-Identifier: Apache-2.0
// The headers of an ACE volume: the generic layout with its CRC, the MAIN header and the FILE
// header; every variable-length field is checked against the header's end.
// Part of platform/standins/unace; standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace unace {

enum MainFlag : std::uint16_t {
    kMainComment = 0x0002,
    kMainMultiVolume = 0x0800,
    kMainAdvert = 0x1000,
    kMainSolid = 0x8000,
};

enum FileFlag : std::uint16_t {
    kFileComment = 0x0002,
    kFile64Bit = 0x0004,
    kFileNtSecurity = 0x0400,
    kFileContinuedFromPrevious = 0x1000,
    kFileContinuesInNext = 0x2000,
    kFileEncrypted = 0x4000,
    kFileSolid = 0x8000,
};

constexpr std::uint32_t kAttributeDirectory = 0x10;

struct MainHeader {
    std::uint16_t flags = 0;
    std::uint8_t versionExtract = 0;
    std::uint8_t versionCreated = 0;
    std::uint8_t hostCreated = 0;
    std::uint8_t volumeNumber = 0;
    std::uint32_t timeCreated = 0;
    std::string advert;
    std::string packedComment;
};

struct FileHeader {
    std::uint16_t flags = 0;
    std::uint64_t packedSize = 0;  // of this segment
    std::uint64_t size = 0;        // of the whole member
    std::uint32_t time = 0;
    std::uint32_t attributes = 0;
    std::uint32_t crc = 0;
    std::uint8_t method = 0;
    std::uint8_t quality = 0;
    std::uint16_t params = 0;
    std::string name;  // raw bytes, cut at the first NUL
    std::string packedComment;
};

enum class HeaderKind { Main, File, Other };

struct Header {
    HeaderKind kind = HeaderKind::Other;
    std::size_t headerSize = 0;  // 4 + HEAD_SIZE
    std::uint64_t dataSize = 0;  // bytes that follow the header (packed data, recovery data)
    MainHeader main;
    FileHeader file;
};

constexpr std::size_t kHeaderPrefix = 4;  // HEAD_CRC and HEAD_SIZE

// The header in `bytes`, which hold at least headerSizeOf(bytes) bytes. Throws AceError
// (ACE_ERROR_HEADER) on a CRC mismatch or a field that does not fit.
Header parseHeader(const std::uint8_t* bytes, std::size_t size);
// 4 + HEAD_SIZE of the header starting at `bytes` (which hold kHeaderPrefix bytes).
std::size_t headerSizeOf(const std::uint8_t* bytes);

}  // namespace unace
