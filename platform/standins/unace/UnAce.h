// SPDX-License-Identifier: Apache-2.0
// The UnACE functions that the ACE archive class drives: open an archive, hand it a password,
// read the entry headers one by one, skip, test or extract each, close. Over our own ACE reader
// (ACE 1.0 and 2.0, solid, multi-volume, encrypted entries). Part of platform/standins/unace;
// depends on platform/prefix and the standard library. Not thread-safe per handle.
//
// Records are byte layouts: little-endian, 32-bit fields, sizes fixed by static_assert.
// Pointers do not fit a 32-bit field on this platform, so the archive name travels as the
// second argument of ACEOpenArchive; the record's name field is carried as zero and not read.
//
// Paths (archive name, target path) are Windows-style and mapped with
// platform::prefix::toNative; texts are UTF-8, this platform's 8-bit code page. Entry names
// keep the archive's "\" between folders.
#pragma once

#include <cstdint>

#define UNACE_API extern "C" __attribute__((visibility("default")))

// Open modes. Listing allows ACE_SKIP only; extraction allows every operation.
enum : std::uint32_t { ACE_OPEN_LIST = 0, ACE_OPEN_EXTRACT = 1 };

// Operations of ACEProcessFile.
enum : std::int32_t { ACE_SKIP = 0, ACE_TEST = 1, ACE_EXTRACT = 2 };

// Results: 0 is success everywhere; ACEReadHeader returns ACE_END_ARCHIVE after the last entry.
enum : std::int32_t {
    ACE_SUCCESS = 0,
    ACE_END_ARCHIVE = 10,
    ACE_ERROR_MEMORY = 11,
    ACE_ERROR_DATA = 12,    // damaged packed data, or a wrong password on an encrypted entry
    ACE_ERROR_HEADER = 13,  // a header is damaged: the archive cannot be read any further
    ACE_ERROR_OPEN = 15,    // the archive (or a volume) cannot be opened
    ACE_ERROR_CREATE = 16,  // the output file cannot be written
    ACE_ERROR_WRITE = 18,
    ACE_ERROR_CRC = 19,          // the unpacked data do not match the entry's checksum
    ACE_ERROR_PASSWORD = 20,     // encrypted entry and no password given
    ACE_ERROR_METHOD = 21,       // a compression method or mode this reader does not know
    ACE_ERROR_VOLUME = 22,       // a volume the entry continues in is missing or does not fit
    ACE_ERROR_UNSAFE_NAME = 23,  // absolute, drive, "..", control character, empty or too long
    ACE_ERROR_PARAMETER = 24,    // bad handle, operation or open mode
    ACE_ERROR_LINK = 25,         // the target would be written through a link or over a folder
};

// Header flags of ACEHeaderData::flags (the entry's own flags).
enum : std::uint32_t {
    ACE_FLAG_COMMENT = 0x0002,
    ACE_FLAG_64BIT = 0x0004,
    ACE_FLAG_CONTINUED_FROM_PREVIOUS = 0x1000,
    ACE_FLAG_CONTINUES_IN_NEXT = 0x2000,
    ACE_FLAG_ENCRYPTED = 0x4000,
    ACE_FLAG_SOLID = 0x8000,
};

// 88 bytes. The caller sets openMode; ACEOpenArchive sets openResult (0 or an ACE_ERROR_*).
struct ACEOpenArchiveData {
    std::uint32_t archiveNameSlot;  // zero: the name is ACEOpenArchive's second argument
    std::uint32_t openMode;
    std::uint32_t openResult;
    std::uint32_t archiveFlags;    // the main header's flags (solid 0x8000, volumes 0x0800, ...)
    std::uint32_t volumeNumber;    // of the volume opened
    std::uint32_t versionExtract;  // 10 or 20
    std::uint32_t versionCreated;
    std::uint32_t hostCreated;
    std::uint32_t timeCreated;  // MS-DOS date and time
    std::uint32_t reserved[13];
};
static_assert(sizeof(ACEOpenArchiveData) == 88);

// 568 bytes, filled by ACEReadHeader. Texts are NUL-terminated in their 260 bytes; an entry
// whose name does not fit is listed cut short and refuses every operation but ACE_SKIP.
struct ACEHeaderData {
    char archiveName[260];  // the archive, as the caller named it
    char fileName[260];
    std::uint32_t flags;
    std::uint32_t packedSize;  // low 32 bits, all segments together
    std::uint32_t packedSizeHigh;
    std::uint32_t unpackedSize;  // low 32 bits
    std::uint32_t unpackedSizeHigh;
    std::uint32_t fileCRC;   // ACE CRC-32 of the unpacked data
    std::uint32_t fileTime;  // MS-DOS date and time
    std::uint32_t fileAttr;  // DOS attributes; 0x10 is a folder
    std::uint32_t method;    // 0 stored, 1 LZ77, 2 blocked
    std::uint32_t quality;
    std::uint32_t dictionaryBits;
    std::uint32_t hostCreated;
};
static_assert(sizeof(ACEHeaderData) == 568);

using ACEHandle = struct AceArchiveSession*;

// Opens `archiveName` (the first volume of a set, or any single archive; a self-extracting
// one is searched for its archive in its first 512 KiB). Returns null and sets openResult when
// it cannot be opened.
UNACE_API ACEHandle ACEOpenArchive(ACEOpenArchiveData* data, const char* archiveName);
// The password for the encrypted entries processed from now on (an empty text clears it).
UNACE_API std::int32_t ACESetPassword(ACEHandle handle, const char* password);
// The next entry's header. An entry that spans volumes is one entry: the next volumes are
// found from the archive's name (NAME.ace, NAME.c00, NAME.c01, ...). Returns ACE_END_ARCHIVE
// after the last entry and ACE_ERROR_HEADER when the archive cannot be read further.
UNACE_API std::int32_t ACEReadHeader(ACEHandle handle, ACEHeaderData* header);
// Works on the entry of the last ACEReadHeader. ACE_SKIP does nothing (in a solid archive the
// entry is still unpacked later if a following entry needs it); ACE_TEST unpacks and checks;
// ACE_EXTRACT writes the entry to `targetPath` (Windows-style; a bare name is taken relative
// to the working directory). When `targetPath` ends in the entry's own name, only the part
// before it is a folder the caller chose: the entry's folders are made below it and no link
// there is ever followed. An entry whose name is unsafe is refused, never written under a
// cleaned name. After success the whole file is in place; after a failure nothing of it is:
// it is written under a temporary name and renamed into place once its checksum matched.
UNACE_API std::int32_t ACEProcessFile(ACEHandle handle, std::int32_t operation, const char* targetPath);
UNACE_API std::int32_t ACECloseArchive(ACEHandle handle);
