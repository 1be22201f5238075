// SPDX-License-Identifier: Apache-2.0
// Opening archives with libzip, and the entry facts both runners need: modification times
// (with the precise timestamps of the extra fields when an archiver wrote them) and the
// Unix file type and mode. Part of platform/standins/addzip; depends on libzip.
#pragma once

#include <zip.h>

#include <sys/types.h>
#include <ctime>
#include <filesystem>
#include <memory>

#include "platform/standins/addzip/Messages.h"

namespace addzip {

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const noexcept { zip_discard(archive); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDiscarder>;

// The open archive, or null with `code` saying why (not found, not a ZIP archive, damaged).
// Opening only reads the central directory: damage further in shows when an entry is read.
ArchivePtr openArchive(const std::filesystem::path& native, int flags, AddZipCode& code);

// When the entry was last modified: the Unix time of the extended-timestamp or NTFS extra
// field when present, else the DOS time libzip read (local time, two-second steps).
std::time_t entryModified(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat);

// Stores a precise modification time beside the DOS time (extended-timestamp extra field).
void setEntryModified(zip_t* archive, zip_uint64_t index, std::time_t modified);

struct EntryMode {
    bool unixMode = false;  // made on a Unix host with a file mode in the attributes
    mode_t mode = 0;        // type and permission bits when unixMode
    std::uint8_t dosAttributes = 0;
};
EntryMode entryMode(zip_t* archive, zip_uint64_t index);

}  // namespace addzip
