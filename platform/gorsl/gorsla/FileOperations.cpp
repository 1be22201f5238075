// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorsla/FileOperations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/gorsl/common/Errors.h"
#include "platform/prefix/Prefix.h"

namespace fs = std::filesystem;

namespace gorsl {

namespace {
fs::path native(const std::string& path) {
    return platform::prefix::toNative(path);
}
std::error_code lastError() {
    return {errno, std::generic_category()};
}
}  // namespace

bool fileExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat info {};
    return ::stat(native(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void createFolder(const std::string& path, const std::string& source) {
    if (path.empty()) throw invalidArgument(source, "the folder path is empty");
    fs::path folder = native(path);
    std::error_code error;
    const auto status = fs::status(folder, error);
    if (fs::exists(status) && !fs::is_directory(status))
        throw platform::com::Error(
            errc::PathFileAccess, source,
            "Path/File access error: cannot create the folder " + path + " (a file is in the way)");
    fs::create_directories(folder, error);
    if (error) throw fileError(source, "create the folder", path, error, Missing::Folder);
}

std::error_code copyFileTo(const std::string& source, const std::string& destination, platform::Overwrite overwrite) {
    if (source.empty() || destination.empty()) return std::make_error_code(std::errc::invalid_argument);
    return platform::copyFile(native(source), native(destination), overwrite);
}

void writeTextFile(const std::string& path, const std::string& text, const std::string& source) {
    if (path.empty()) throw invalidArgument(source, "the file path is empty");
    fs::path target = native(path);
    mode_t mode = 0666;
    struct stat existing {};
    bool keepMode = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (keepMode) mode = existing.st_mode & 07777;
    platform::StagedFile staged(target);
    std::error_code error = staged.create(mode);
    if (!error) error = staged.write(text);
    if (!error && keepMode && ::fchmod(staged.fd(), mode) != 0) error = lastError();
    if (!error) error = staged.commit(platform::Overwrite::Replace);
    if (error) throw fileError(source, "write the file", path, error, Missing::Folder);
}

void prepareOutputFile(const std::string& path, const std::string& source) {
    if (path.empty()) throw invalidArgument(source, "the file path is empty");
    int fd = ::open(native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw fileError(source, "prepare the output file", path, lastError(), Missing::Folder);
    ::close(fd);
}

}  // namespace gorsl
