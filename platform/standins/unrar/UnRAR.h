// SPDX-License-Identifier: Apache-2.0
// The UnRAR functions that the RAR archive class drives: open an archive, read its entry
// headers one by one, skip, test or extract each entry, close. RAR 1.5 to 4.x and RAR 5
// archives are read with libarchive; extracted entries are written by the safe extractor
// (platform/standins/extract), so nothing is ever written outside the folder they were meant
// for. Depends on platform/standins/extract, platform/prefix and libarchive. One handle is
// used by one thread at a time.
//
// Records keep the byte layout of the 32-bit library: little-endian, 32-bit fields, no
// padding, sizes fixed by static_assert. A 64-bit pointer does not fit a 32-bit field, so the
// archive name travels as the second argument of RAROpenArchive (as with the UnACE functions);
// the records' pointer fields are carried as zero and not read.
//
// Texts are UTF-8, this platform's 8-bit code page. Paths are Windows-style and mapped with
// platform::prefix::toNative. Entry names use "\" between folders.
//
// What libarchive 3.6 cannot read, and how it shows here:
// - Encrypted data (RAR 4 and RAR 5): libarchive has no decryption, so a password changes
//   nothing. The header reads; testing or extracting the entry fails (UNRAR_BAD_DATA, or
//   UNRAR_MISSING_PASSWORD when the header says the data is encrypted) and the next header
//   reads.
//   RAR 5 headers do not say that the data is encrypted, so it shows as damaged data.
// - Encrypted headers: the archive opens, and the first header read fails.
// - Solid RAR 4 archives: the first entry reads; the header of the second fails, and so the
//   listing ends there. Solid RAR 5 archives read.
// - Hard links: reported, never made (UNRAR_CREATE_FAILED).
// - Stored (uncompressed) entries are not checked against their CRC by libarchive 3.6.2: damage
//   inside their data goes unnoticed. Compressed data that is damaged fails.
// Failing never leaves a partial file: files are written under a temporary name and renamed
// into place only when all their data arrived and checked.
#pragma once

#include <bit>
#include <cstdint>

#define UNRAR_API extern "C" __attribute__((visibility("default")))

// Results of the functions and the open result.
enum UnrarResult : std::int32_t {
    UNRAR_OK = 0,
    UNRAR_END_OF_ARCHIVE = 10,  // no more headers
    UNRAR_NO_MEMORY = 11,
    UNRAR_BAD_DATA = 12,        // damaged header or data, or data that cannot be decoded
    UNRAR_BAD_ARCHIVE = 13,     // not a RAR archive (nor one inside an executable)
    UNRAR_UNKNOWN_FORMAT = 14,  // a method or feature the reader does not know
    UNRAR_OPEN_FAILED = 15,     // the archive or one of its volumes cannot be opened
    UNRAR_CREATE_FAILED = 16,   // the target cannot be made: unsafe name, link in the way, ...
    UNRAR_WRITE_FAILED = 19,
    UNRAR_BAD_CALL = 21,          // no header read before a process call, unknown handle, ...
    UNRAR_MISSING_PASSWORD = 22,  // encrypted data: libarchive cannot decrypt, with or without one
};

// Open modes.
enum UnrarOpenMode : std::uint32_t { UNRAR_OPEN_LIST = 0, UNRAR_OPEN_EXTRACT = 1 };

// Process operations.
enum UnrarOperation : std::int32_t { UNRAR_SKIP = 0, UNRAR_TEST = 1, UNRAR_EXTRACT = 2 };

// Header flags (RARHeaderData::Flags).
enum UnrarHeaderFlags : std::uint32_t {
    UNRAR_FLAG_ENCRYPTED = 0x04,
    UNRAR_FLAG_SOLID = 0x10,
    UNRAR_FLAG_DIRECTORY = 0xE0,  // all three window-size bits, as RAR 4 marks a folder
};

// Host systems (RARHeaderData::HostOS).
enum UnrarHostSystem : std::uint32_t { UNRAR_HOST_WINDOWS = 2, UNRAR_HOST_UNIX = 3 };

#pragma pack(push, 1)
// 28 bytes.
struct RAROpenArchiveData {
    std::uint32_t ArcName;     // zero: the name is RAROpenArchive's second argument
    std::uint32_t OpenMode;    // UnrarOpenMode; both read every entry the same way
    std::uint32_t OpenResult;  // out: UnrarResult
    std::uint32_t CmtBuf;      // archive comments are not read: CmtSize and CmtState
    std::uint32_t CmtBufSize;  // come back 0
    std::uint32_t CmtSize;
    std::uint32_t CmtState;
};

// 572 bytes.
struct RARHeaderData {
    char ArcName[260];       // the archive name as opened, NUL-terminated, cut at 259 bytes
    char FileName[260];      // the entry name, "\" between folders, cut at 259 bytes on a character
    std::uint32_t Flags;     // UnrarHeaderFlags
    std::uint32_t PackSize;  // not known to libarchive: the unpacked size again (low 32 bits)
    std::uint32_t UnpSize;   // low 32 bits
    std::uint32_t HostOS;    // UnrarHostSystem: always Unix, the way libarchive gives modes
    std::uint32_t FileCRC;   // not known to libarchive: 0 (data is still checked on reading)
    std::uint32_t FileTime;  // modification time, DOS format, local time
    std::uint32_t UnpVer;    // 29 for RAR 1.5 to 4.x, 50 for RAR 5
    std::uint32_t Method;    // not known to libarchive: 0
    std::uint32_t FileAttr;  // the Unix mode (type and permission bits)
    std::uint32_t CmtBuf;    // file comments are not read; the rest come back 0
    std::uint32_t CmtBufSize;
    std::uint32_t CmtSize;
    std::uint32_t CmtState;
};
#pragma pack(pop)

static_assert(std::endian::native == std::endian::little, "the records are little-endian");
static_assert(sizeof(RAROpenArchiveData) == 28);
static_assert(sizeof(RARHeaderData) == 572);

// Called to ask for a volume that is missing. Declared for callers that install one; this
// library finds the volumes of a set by name (see RAROpenArchive) and never calls it.
using UnrarChangeVolumeProc = std::int32_t (*)(char* archiveName, std::int32_t mode);

struct UnrarArchive;  // the handle

// Opens `archiveName`, Windows-style. A multi-volume set is named by its first part:
// "x.part1.rar" (any number width) is followed by "x.part2.rar" and so on, "x.rar" by "x.r00",
// "x.r01", ... up to "x.r99", then "x.s00" ...; an executable ("x.exe", "x.part1.exe") is read
// from the RAR archive inside it (a self-extracting archive) and followed by volumes named the
// same way with ".rar" or ".r00". The set ends at the first part that is not there.
// Null with data->OpenResult set when the archive cannot be opened.
UNRAR_API UnrarArchive* RAROpenArchive(RAROpenArchiveData* data, const char* archiveName);

// Stored for the archive; libarchive cannot decrypt, so it changes no result.
UNRAR_API void RARSetPassword(UnrarArchive* archive, const char* password);

// Reads the next entry's header. UNRAR_OK, UNRAR_END_OF_ARCHIVE, or UNRAR_BAD_DATA when the
// archive cannot be read any further; after that every call returns UNRAR_END_OF_ARCHIVE.
// A header whose entry was neither processed nor skipped skips it first.
UNRAR_API std::int32_t RARReadHeader(UnrarArchive* archive, RARHeaderData* header);

// Works on the entry whose header was read last.
//  UNRAR_SKIP     moves on; paths are ignored.
//  UNRAR_TEST     reads all data and checks it.
//  UNRAR_EXTRACT  writes the entry. With destName: there, and when destName ends with the
//                 entry's name, that name's folders are made below the rest of destName;
//                 otherwise the entry becomes the last component of destName in its folder.
//                 With destPath only: the entry's name below destPath. With neither: below the
//                 working directory. Folders of an entry name never pass through a link, and
//                 an unsafe entry name ("..", absolute, a drive) is refused, not repaired.
// UNRAR_OK, or the entry's failure; the next header can be read either way.
UNRAR_API std::int32_t RARProcessFile(UnrarArchive* archive, std::int32_t operation, const char* destPath,
                                      const char* destName);

// Finishes the extraction (links that no longer stay inside the destination once every entry
// is out are removed) and lets the archive go. UNRAR_OK, or UNRAR_BAD_CALL for null.
UNRAR_API std::int32_t RARCloseArchive(UnrarArchive* archive);

UNRAR_API void RARSetChangeVolProc(UnrarArchive* archive, UnrarChangeVolumeProc proc);
