// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/support/StagedFile.h"

namespace fs = std::filesystem;

namespace gorsl {

namespace {
std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::optional<dev_t> deviceOf(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    return info.st_dev;
}

// The device of the path, or of its nearest existing parent.
std::optional<dev_t> deviceOfNearest(fs::path path) {
    while (true) {
        if (auto device = deviceOf(path)) return device;
        if (path == path.parent_path()) return std::nullopt;
        path = path.parent_path();
    }
}

fs::path mountPointOf(const fs::path& item) {
    fs::path current = item.parent_path();
    auto device = deviceOf(current);
    while (current != current.parent_path()) {
        auto above = deviceOf(current.parent_path());
        if (!above || above != device) break;
        current = current.parent_path();
    }
    return current;
}

// Characters outside the unreserved set and "/" are %-escaped, as the Path key wants.
std::string escapePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     std::string_view("-_.~/").find(static_cast<char>(c)) != std::string_view::npos;
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::error_code makeTrashFolder(const fs::path& trash) {
    std::error_code error;
    fs::create_directories(trash.parent_path(), error);
    if (error) return error;
    for (const char* part : {"", "files", "info"}) {
        fs::path folder = *part ? trash / part : trash;
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return lastError();
    }
    return {};
}

// The trash at the top of the item's file system, made when it is missing.
std::optional<fs::path> topTrashFor(const fs::path& item) {
    const fs::path top = mountPointOf(item);
    const std::string uid = std::to_string(::getuid());
    struct stat shared {};
    fs::path sharedTrash = top / ".Trash";
    if (::lstat(sharedTrash.c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
        fs::path mine = sharedTrash / uid;
        if (!makeTrashFolder(mine)) return mine;
    }
    fs::path own = top / (".Trash-" + uid);
    if (!makeTrashFolder(own)) return own;
    return std::nullopt;
}

std::string deletionDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::error_code moveItem(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return {};
    if (errno != EXDEV) return lastError();
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(from, error))) {
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
        if (error) {
            std::error_code ignored;
            fs::remove_all(to, ignored);
            return error;
        }
        fs::remove_all(from, error);
        return error;
    }
    return platform::moveFile(from, to, platform::Overwrite::Keep);
}

// Moves the item into one trash folder under a name free in both files/ and info/.
std::error_code trashInto(const fs::path& trash, const fs::path& item, const std::string& recordedPath) {
    if (auto error = makeTrashFolder(trash)) return error;
    const std::string stem = item.filename().string();
    const std::string info =
        "[Trash Info]\nPath=" + escapePath(recordedPath) + "\nDeletionDate=" + deletionDate() + "\n";
    for (int n = 1; n < 10000; ++n) {
        std::string name = n == 1 ? stem : stem + "." + std::to_string(n);
        fs::path infoFile = trash / "info" / (name + ".trashinfo");
        int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return lastError();
        }
        bool written = ::write(fd, info.data(), info.size()) == static_cast<ssize_t>(info.size());
        ::close(fd);
        struct stat taken {};
        fs::path target = trash / "files" / name;
        if (written && ::lstat(target.c_str(), &taken) != 0) {
            if (auto error = moveItem(item, target)) {
                ::unlink(infoFile.c_str());
                return error;
            }
            return {};
        }
        ::unlink(infoFile.c_str());
        if (!written) return std::make_error_code(std::errc::io_error);
    }
    return std::make_error_code(std::errc::file_exists);
}
}  // namespace

fs::path homeTrash() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') return fs::path(data) / "Trash";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".local/share/Trash";
}

std::error_code moveToTrash(const fs::path& given) {
    if (!deviceOf(given)) return lastError();
    // Recorded by its real folder (links on the way resolved), so a restore finds its place;
    // the item itself is not resolved, so a link goes to the trash as a link.
    std::error_code error;
    fs::path folder = fs::canonical(given.parent_path(), error);
    if (error) return error;
    const fs::path item = folder / given.filename();
    const fs::path home = homeTrash();
    if (deviceOfNearest(home) == deviceOf(item.parent_path())) return trashInto(home, item, item.string());
    if (auto top = topTrashFor(item)) {
        const fs::path relative = item.lexically_relative(mountPointOf(item));
        if (!trashInto(*top, item, relative.string())) return {};
    }
    return trashInto(home, item, item.string());
}

}  // namespace gorsl
