// SPDX-License-Identifier: Apache-2.0
// The one "write to a temporary file, then rename it into place" of the project: files that
// appear whole or not at all, plus the copy and move built on that. Paths here are native;
// callers map Windows-style paths first.
//
// The temporary file is created beside the final name, exclusively (O_EXCL, O_NOFOLLOW) under
// an unpredictable name from platform/support/TemporaryNames.h, so a link or file planted
// there is never written through. At commit, an existing final name that is not a regular file
// (a link, dangling or not, a device, a FIFO, a folder) is refused and stays as it was.
//
// Two ways to name the place:
//  - StagedFile(path): the parent folder is opened once (links in the parent path are
//    followed, as the caller spelled it) and every step works relative to it.
//  - StagedFile(directoryFd, leaf): every step is openat/renameat/unlinkat below a folder the
//    caller has opened itself (for example with O_NOFOLLOW, one component at a time); nothing
//    outside that folder is ever touched. This is the form for the safe extractor
//    (platform/standins/extract): open the entry's folder, stage the entry with this, write,
//    commit(Overwrite::...).
// Part of platform/support; depends on the standard library and POSIX.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace platform {

// What happens to a file already at the final path.
enum class Overwrite { Replace, Keep };

// When a new file reaches the disk. Always: synced before its rename, so that the name shows
// the whole file or nothing even after a crash. ReplacementsOnly: only a file that replaces
// another is synced first (a crash then leaves the old file or the whole new one); a file
// under a new name is renamed at once, for a caller that syncs a whole run at its end, as the
// safe extractor does, where thousands of syncs one by one would cost more than the unpacking.
enum class Durability { Always, ReplacementsOnly };

// What StagedFile refuses on its own, besides the system's errors.
enum class StagedFileError { TargetNotRegularFile = 1 };
const std::error_category& stagedFileCategory();
std::error_code make_error_code(StagedFileError error);

class StagedFile {
public:
    // Names the final path; nothing is touched yet.
    explicit StagedFile(std::filesystem::path target);
    // The final name `leaf` (one component, no "/") in the open folder `directory`, which must
    // stay open while this object lives; it is not closed here.
    StagedFile(int directory, std::string leaf);
    // Removes the temporary file unless it was committed.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file beside the final name, empty, with `mode` (less the umask).
    // `purpose` goes into its name (TemporaryNames.h). After failure nothing has been created.
    std::error_code create(mode_t mode = 0666, std::string_view purpose = "staged");
    int fd() const { return fd_; }
    // The temporary file's name in the folder of the final name; empty before create().
    const std::string& temporaryName() const { return temporary_; }
    // Appends the bytes; on failure the temporary file is left for the destructor. Once a
    // few MiB have gathered, their writeback to disk starts, so that commit has less to wait for.
    std::error_code write(std::string_view bytes);
    // Flushes the file to disk (see Durability) and renames it to the final name. With Overwrite::Keep an
    // existing final name fails the commit with file_exists; with Overwrite::Replace one that
    // is not a regular file fails it with TargetNotRegularFile. Either way it stays as it was,
    // and after any failure the temporary file is still there, for the destructor to remove.
    std::error_code commit(Overwrite overwrite, Durability durability = Durability::Always);

private:
    std::error_code openDirectory();
    void startWriteback();

    std::filesystem::path target_;  // for the path form
    int directory_ = -1;
    bool ownsDirectory_ = false;
    std::string leaf_;
    std::string temporary_;
    int fd_ = -1;
    std::uint64_t written_ = 0;      // bytes written through write()
    std::uint64_t writtenBack_ = 0;  // of those, whose writeback has been started
    bool committed_ = false;
};

// Copies a regular file with its permissions and modification time, through a StagedFile.
// After failure the destination is as it was before.
std::error_code copyFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                         Overwrite overwrite);
// Renames the file; across file systems it copies and then removes the source. After failure
// the source is still there, and the destination is as it was or (when only the removal of
// the source failed) already a copy of it.
std::error_code moveFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                         Overwrite overwrite);

}  // namespace platform

template <>
struct std::is_error_code_enum<platform::StagedFileError> : std::true_type {};
