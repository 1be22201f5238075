// SPDX-License-Identifier: Apache-2.0
#include "platform/support/StagedFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/support/TemporaryNames.h"

namespace fs = std::filesystem;

namespace platform {

namespace {
std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Renames without replacing: renameat2 where the file system has it, else a hard link.
int renameKeeping(int fromDirectory, const char* from, int toDirectory, const char* to) {
    if (::renameat2(fromDirectory, from, toDirectory, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    if (::linkat(fromDirectory, from, toDirectory, to, 0) != 0) return -1;
    ::unlinkat(fromDirectory, from, 0);
    return 0;
}

class StagedFileCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "staged file"; }
    std::string message(int code) const override {
        return code == static_cast<int>(StagedFileError::TargetNotRegularFile)
                   ? "it exists and is not a regular file (a link, a device, a pipe or a folder)"
                   : "unknown error";
    }
};
}  // namespace

const std::error_category& stagedFileCategory() {
    static const StagedFileCategory category;
    return category;
}

std::error_code make_error_code(StagedFileError error) {
    return {static_cast<int>(error), stagedFileCategory()};
}

StagedFile::StagedFile(fs::path target) : target_(std::move(target)), leaf_(target_.filename().string()) {}

StagedFile::StagedFile(int directory, std::string leaf) : directory_(directory), leaf_(std::move(leaf)) {}

StagedFile::~StagedFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temporary_.empty()) ::unlinkat(directory_, temporary_.c_str(), 0);
    if (ownsDirectory_) ::close(directory_);
}

std::error_code StagedFile::openDirectory() {
    if (directory_ >= 0) return {};
    if (leaf_.empty() || leaf_ == "." || leaf_ == "..") return std::make_error_code(std::errc::is_a_directory);
    const fs::path parent = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    directory_ = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory_ < 0) return lastError();
    ownsDirectory_ = true;
    return {};
}

std::error_code StagedFile::create(mode_t mode, std::string_view purpose) {
    if (auto error = openDirectory()) return error;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string name = platform::temporaryName(purpose);
        fd_ = ::openat(directory_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temporary_ = std::move(name);
            return {};
        }
        if (errno != EEXIST) break;
    }
    return lastError();
}

std::error_code StagedFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        written_ += static_cast<std::uint64_t>(n);
    }
    startWriteback();
    return {};
}

// A large file is written back to disk while it is still being written, a step at a time,
// so that the sync at commit finds little left to do and the dirty pages stay few. These
// are hints: a file system that cannot take them gets its sync at commit all the same.
void StagedFile::startWriteback() {
    constexpr std::uint64_t kStep = 8u << 20;
    while (written_ - writtenBack_ >= kStep) {
        ::sync_file_range(fd_, static_cast<off_t>(writtenBack_), kStep, SYNC_FILE_RANGE_WRITE);
        // The step before this one has had a step's time to reach the disk; waiting for it
        // keeps at most two steps in flight.
        if (writtenBack_ >= kStep)
            ::sync_file_range(fd_, static_cast<off_t>(writtenBack_ - kStep), kStep,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        writtenBack_ += kStep;
    }
}

std::error_code StagedFile::commit(Overwrite overwrite, Durability durability) {
    if (fd_ >= 0) {
        struct stat present {};
        const bool replaces =
            overwrite == Overwrite::Replace && ::fstatat(directory_, leaf_.c_str(), &present, AT_SYMLINK_NOFOLLOW) == 0;
        if ((durability == Durability::Always || replaces) && ::fsync(fd_) != 0 && errno != EINVAL) return lastError();
        int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0) return lastError();
    }
    if (overwrite == Overwrite::Keep) {
        if (renameKeeping(directory_, temporary_.c_str(), directory_, leaf_.c_str()) != 0) return lastError();
    } else {
        // rename() would replace a link, a device or a pipe at the final name with our file.
        struct stat existing {};
        if (::fstatat(directory_, leaf_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(existing.st_mode))
            return StagedFileError::TargetNotRegularFile;
        if (::renameat(directory_, temporary_.c_str(), directory_, leaf_.c_str()) != 0) return lastError();
    }
    committed_ = true;
    return {};
}

std::error_code copyFile(const fs::path& source, const fs::path& destination, Overwrite overwrite) {
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return lastError();
    struct stat info {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        std::error_code error = S_ISDIR(info.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                : S_ISREG(info.st_mode) || info.st_mode == 0
                                    ? lastError()
                                    : std::make_error_code(std::errc::invalid_argument);
        ::close(in);
        return error;
    }
    struct stat present {};
    if (overwrite == Overwrite::Keep && ::lstat(destination.c_str(), &present) == 0) {
        ::close(in);
        return std::make_error_code(std::errc::file_exists);
    }
    StagedFile staged(destination);
    std::error_code error = staged.create(info.st_mode & 07777);
    std::vector<char> buffer(1 << 16);
    while (!error) {
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = lastError();
        if (n <= 0) break;
        error = staged.write({buffer.data(), static_cast<std::size_t>(n)});
    }
    ::close(in);
    if (error) return error;
    ::fchmod(staged.fd(), info.st_mode & 07777);  // the umask took bits away at creation
    const timespec times[2] = {info.st_atim, info.st_mtim};
    ::futimens(staged.fd(), times);
    return staged.commit(overwrite);
}

std::error_code moveFile(const fs::path& source, const fs::path& destination, Overwrite overwrite) {
    int renamed = overwrite == Overwrite::Replace
                      ? ::rename(source.c_str(), destination.c_str())
                      : renameKeeping(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str());
    if (renamed == 0) return {};
    if (errno != EXDEV) return lastError();
    if (auto error = copyFile(source, destination, overwrite)) return error;
    // The copy stays even when the source cannot be removed: both then hold the same data.
    if (::unlink(source.c_str()) != 0) return lastError();
    return {};
}

}  // namespace platform
