// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/RunFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/gorsl/common/Errors.h"
#include "platform/prefix/Prefix.h"
#include "platform/support/UniqueToken.h"

namespace fs = std::filesystem;

namespace gorsl {

RunFolder::RunFolder(std::string stem) : stem_(std::move(stem)) {}

RunFolder::~RunFolder() {
    removeFolder();
}

void RunFolder::removeFolder() {
    if (native_.empty() || owner_ != ::getpid()) return;
    std::error_code ignored;
    fs::remove_all(native_, ignored);
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    native_.clear();
    windows_.clear();
}

void RunFolder::removeStaleFolders(const fs::path& temp) {
    const std::string prefix = stem_ + "-";
    std::error_code error;
    for (fs::directory_iterator it(temp, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0 || !it->is_directory()) continue;
        int fd = ::open(it->path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        // A folder whose lock can be taken has no live process behind it.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
        ::close(fd);
    }
}

std::string RunFolder::windowsPath(const std::string& source) {
    std::lock_guard lock(mutex_);
    const fs::path root = platform::prefix::root();
    if (!native_.empty() && root != prefixRoot_) removeFolder();
    if (!native_.empty()) {
        std::error_code error;
        if (!fs::is_directory(native_, error)) {
            fs::create_directories(native_, error);
            if (error) throw fileError(source, "make the folder", windows_, error, Missing::Folder);
        }
        return windows_;
    }
    const std::string tempWindows = platform::prefix::tempFolder();
    const fs::path temp = platform::prefix::toNative(tempWindows);
    std::error_code error;
    fs::create_directories(temp, error);
    if (error) throw fileError(source, "make the folder", tempWindows, error, Missing::Folder);
    removeStaleFolders(temp);

    const std::string name = stem_ + "-" + platform::uniqueToken();
    const fs::path folder = temp / name;
    if (::mkdir(folder.c_str(), 0755) != 0)
        throw fileError(source, "make the folder", tempWindows + "\\" + name, {errno, std::generic_category()},
                        Missing::Folder);
    lockFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lockFd_ >= 0) ::flock(lockFd_, LOCK_EX | LOCK_NB);
    prefixRoot_ = root;
    native_ = folder;
    windows_ = tempWindows + "\\" + name;
    owner_ = ::getpid();
    return windows_;
}

fs::path RunFolder::nativePath(const std::string& source) {
    windowsPath(source);
    std::lock_guard lock(mutex_);
    return native_;
}

RunFolder& installTempFolder() {
    static RunFolder folder("Install");
    return folder;
}

RunFolder& shortLinkFolder() {
    static RunFolder folder("Short");
    return folder;
}

}  // namespace gorsl
