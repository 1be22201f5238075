#include "platform/gorsl/common/StagedFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/gorsl/common/UniqueToken.h"

namespace fs = std::filesystem;

namespace gorsl {

namespace {
std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Renames without replacing: renameat2 where the file system has it, else a hard link.
int renameKeeping(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    if (::link(from, to) != 0) return -1;
    ::unlink(from);
    return 0;
}
}  // namespace

StagedFile::StagedFile(fs::path target) : target_(std::move(target)) {}

StagedFile::~StagedFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

std::error_code StagedFile::create(mode_t mode) {
    std::string name = target_.filename().string();
    if (name.size() > 96) name.resize(96);
    temporary_ = target_.parent_path() / ("." + name + "." + uniqueToken() + ".part");
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ < 0) {
        auto error = lastError();
        temporary_.clear();
        return error;
    }
    return {};
}

std::error_code StagedFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::error_code StagedFile::commit(Overwrite overwrite) {
    if (fd_ >= 0) {
        if (::fsync(fd_) != 0 && errno != EINVAL) return lastError();
        int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0) return lastError();
    }
    int renamed = overwrite == Overwrite::Replace ? ::rename(temporary_.c_str(), target_.c_str())
                                                  : renameKeeping(temporary_.c_str(), target_.c_str());
    if (renamed != 0) return lastError();
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
    if (overwrite == Overwrite::Keep && ::access(destination.c_str(), F_OK) == 0) {
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
    int renamed = overwrite == Overwrite::Replace ? ::rename(source.c_str(), destination.c_str())
                                                  : renameKeeping(source.c_str(), destination.c_str());
    if (renamed == 0) return {};
    if (errno != EXDEV) return lastError();
    if (auto error = copyFile(source, destination, overwrite)) return error;
    // The copy stays even when the source cannot be removed: both then hold the same data.
    if (::unlink(source.c_str()) != 0) return lastError();
    return {};
}

}  // namespace gorsl
