// Files that appear whole or not at all: written under a hidden temporary name beside their
// final path and renamed into place, plus the copy and move built on that. Paths here are
// native; the callers map Windows-style paths first.
// Part of platform/gorsl; depends on the standard library and POSIX.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace gorsl {

// What happens to a file already at the final path.
enum class Overwrite { Replace, Keep };

class StagedFile {
public:
    // Names the final path; nothing is touched yet.
    explicit StagedFile(std::filesystem::path target);
    // Removes the temporary file unless it was committed.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file beside the final path, empty, with `mode` (less the umask).
    // After failure nothing has been created.
    std::error_code create(mode_t mode = 0666);
    int fd() const { return fd_; }
    const std::filesystem::path& temporaryPath() const { return temporary_; }
    const std::filesystem::path& target() const { return target_; }
    // Appends the bytes; on failure the temporary file is left for the destructor.
    std::error_code write(std::string_view bytes);
    // Flushes the file to disk and renames it to the final path. With Overwrite::Keep an
    // existing file at the final path fails the commit with file_exists and stays as it was.
    // After failure the temporary file is still there, for the destructor to remove.
    std::error_code commit(Overwrite overwrite);

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
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

}  // namespace gorsl
