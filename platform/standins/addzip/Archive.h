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

// An archive opened for change under a marked name beside it (a second link to the archive,
// or a new name when there is none yet), so that libzip's own temporary file carries the
// marker too and a run killed in the middle leaves only files that the next start sweeps
// (platform/support/TemporaryNames.h). commit() writes the archive and puts it in the old
// one's place; without commit() the old archive stays as it was and nothing is left behind.
// Where no second link can be made, the archive is opened under its own name as before.
class ArchiveUpdate {
public:
    ArchiveUpdate(const std::filesystem::path& native, int flags, AddZipCode& code);
    ~ArchiveUpdate();
    ArchiveUpdate(const ArchiveUpdate&) = delete;
    ArchiveUpdate& operator=(const ArchiveUpdate&) = delete;

    zip_t* get() const { return archive_.get(); }
    explicit operator bool() const { return archive_ != nullptr; }
    // False when libzip could not write the archive; the old one then stays.
    bool commit();

private:
    std::filesystem::path native_;
    std::filesystem::path working_;  // empty when the archive is opened under its own name
    ArchivePtr archive_;
};

struct EntryMode {
    bool unixMode = false;  // made on a Unix host with a file mode in the attributes
    mode_t mode = 0;        // type and permission bits when unixMode
    std::uint8_t dosAttributes = 0;
};
EntryMode entryMode(zip_t* archive, zip_uint64_t index);

}  // namespace addzip
