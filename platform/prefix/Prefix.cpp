// SPDX-License-Identifier: Apache-2.0
#include "platform/prefix/Prefix.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <system_error>
#include <vector>

#include "platform/support/TemporaryNames.h"
#include "platform/support/TextCase.h"

namespace fs = std::filesystem;

namespace platform::prefix {

namespace {
struct FolderPlace {
    Folder folder;
    const char* windows;  // as scripts name it
    const char* native;   // below the prefix root
};
constexpr FolderPlace kFolders[] = {
    {Folder::Favorites, "C:\\users\\Public\\Favorites", "drive_c/users/Public/Favorites"},
    {Folder::Windows, "C:\\windows", "drive_c/windows"},
    {Folder::System, "C:\\windows\\system32", "drive_c/windows/system32"},
    {Folder::CommonFiles, "C:\\Program Files\\Common Files", "drive_c/Program Files/Common Files"},
};

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}
bool isDriveLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::vector<std::string> splitComponents(std::string_view s) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isSeparator(s[i])) ++i;
        std::size_t start = i;
        while (i < s.size() && !isSeparator(s[i])) ++i;
        if (i > start) parts.emplace_back(s.substr(start, i - start));
    }
    return parts;
}

// Resolves "." and ".." by name; ".." never climbs above the first `fixed` components.
std::vector<std::string> normalise(std::vector<std::string> parts, std::size_t fixed) {
    std::vector<std::string> out;
    for (auto& p : parts) {
        if (p == ".") continue;
        if (p == "..") {
            if (out.size() > fixed) out.pop_back();
            continue;
        }
        out.push_back(std::move(p));
    }
    return out;
}

// Appends the components to `base`, each matched case-insensitively against the entries
// that exist, and taken as written where nothing matches.
fs::path resolveCase(fs::path base, const std::vector<std::string>& parts) {
    bool exploring = true;
    for (const auto& part : parts) {
        fs::path exact = base / part;
        std::error_code ec;
        if (!exploring || fs::symlink_status(exact, ec).type() != fs::file_type::not_found) {
            base = std::move(exact);
            continue;
        }
        std::string fold = foldCase(part);
        fs::path match;
        for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
            if (foldCase(it->path().filename().string()) == fold) {
                match = it->path();
                break;
            }
        }
        if (match.empty()) {
            exploring = false;  // nothing below a missing component can exist
            base = std::move(exact);
        } else {
            base = std::move(match);
        }
    }
    return base;
}

// HOME, else the password database's home folder of the real user. Never a shared folder
// such as /tmp: whoever made the prefix there first would decide which libraries get loaded.
fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        *found->pw_dir == '/')
        return found->pw_dir;
    throw NoHomeFolder("no home folder: HOME is not set and the password database has none for user " +
                       std::to_string(::getuid()) + "; set HOME or QUILLON_PREFIX");
}

fs::path defaultRoot() {
    if (geteuid() == 0) return "/var/lib/quillon";
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return fs::path(xdg) / "quillon";
    return homeFolder() / ".local/share/quillon";
}

// Drops "\\?\" and "\\?\UNC\" long-path prefixes.
std::string_view dropLongPathPrefix(std::string_view path, bool& unc) {
    unc = false;
    if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && path[2] == '?' && isSeparator(path[3])) {
        path.remove_prefix(4);
        if (path.size() >= 4 && asciiUpper(path.substr(0, 3)) == "UNC" && isSeparator(path[3])) {
            path.remove_prefix(4);
            unc = true;
        }
    }
    return path;
}
}  // namespace

fs::path root() {
    const char* env = std::getenv("QUILLON_PREFIX");
    fs::path r = env && *env ? fs::path(env) : defaultRoot();
    return fs::absolute(r).lexically_normal();
}

fs::path registryPath() {
    return root() / "registry.db";
}

std::optional<Folder> folderFromCode(int code) {
    for (const auto& f : kFolders)
        if (static_cast<int>(f.folder) == code) return f.folder;
    return std::nullopt;
}

std::string windowsPath(Folder folder) {
    for (const auto& f : kFolders)
        if (f.folder == folder) return f.windows;
    return {};
}

fs::path nativePath(Folder folder) {
    for (const auto& f : kFolders)
        if (f.folder == folder) return root() / f.native;
    return {};
}

std::string tempFolder() {
    return "C:\\windows\\temp";
}
std::string programFilesFolder() {
    return "C:\\Program Files";
}

fs::path toNative(std::string_view path) {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return toNative(path, root(), cwd);
}

fs::path toNative(std::string_view path, const fs::path& prefixRoot, const fs::path& workingDirectory) {
    if (path.empty()) return {};
    bool longUnc = false;
    path = dropLongPathPrefix(path, longUnc);
    if (path.empty() && !longUnc) return {};

    if (!longUnc && path.size() >= 1 && path[0] == '/' && (path.size() == 1 || !isSeparator(path[1])))
        return fs::path(path);  // POSIX absolute: unchanged

    if (longUnc || (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]))) {
        auto parts = normalise(splitComponents(path), 2);
        return resolveCase(prefixRoot / "unc", parts);
    }
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
        std::string drive = asciiLower(path.substr(0, 1)) + ":";
        auto parts = normalise(splitComponents(path.substr(2)), 0);
        return resolveCase(prefixRoot / "dosdevices" / drive, parts);
    }
    if (isSeparator(path[0])) {
        auto parts = normalise(splitComponents(path), 0);
        return resolveCase(prefixRoot / "dosdevices" / "c:", parts);
    }
    fs::path relative;
    for (auto& part : splitComponents(path)) relative /= part;
    return workingDirectory / relative;
}

std::string toWindows(const fs::path& native) {
    fs::path r = root();
    fs::path n = native.lexically_normal();
    auto under = [&](const fs::path& base, fs::path& rest) {
        auto rel = n.lexically_relative(base);
        if (rel.empty() || *rel.begin() == "..") return false;
        rest = rel == "." ? fs::path() : rel;
        return true;
    };
    auto join = [](std::string head, const fs::path& rest) {
        for (const auto& part : rest) {
            if (!head.empty() && head.back() != '\\') head += '\\';
            head += part.string();
        }
        return head;
    };
    fs::path rest;
    if (under(r / "drive_c", rest)) return join("C:\\", rest);
    if (under(r / "unc", rest)) return join("\\\\", rest);
    if (under(r / "dosdevices", rest) && !rest.empty()) {
        auto it = rest.begin();
        std::string drive = asciiUpper(it->string());
        fs::path tail;
        for (++it; it != rest.end(); ++it) tail /= *it;
        return join(drive + "\\", tail);
    }
    return native.string();
}

void createLayout(const fs::path& prefixRoot) {
    for (const auto& f : kFolders) fs::create_directories(prefixRoot / f.native);
    fs::create_directories(prefixRoot / "drive_c/windows/temp");
    fs::create_directories(prefixRoot / "unc");
    fs::create_directories(prefixRoot / "dosdevices");
    fs::path c = prefixRoot / "dosdevices/c:";
    std::error_code ec;
    if (fs::symlink_status(c, ec).type() == fs::file_type::not_found) fs::create_directory_symlink("../drive_c", c);
}

namespace {
// A walk below the temporary folder that never leaves it: each folder is opened relative to
// its parent without following links, and the depth and the number of entries are bounded,
// since extracted archives live there too.
struct StaleSweep {
    std::time_t before;
    std::size_t entriesLeft = 200000;
    std::size_t removed = 0;

    void sweep(int folder, int depth) {
        DIR* listing = ::fdopendir(folder);
        if (!listing) {
            ::close(folder);
            return;
        }
        while (dirent* entry = ::readdir(listing)) {
            if (entriesLeft == 0) break;
            --entriesLeft;
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            struct stat info {};
            if (::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISDIR(info.st_mode)) {
                if (depth >= 32) continue;
                int below = ::openat(::dirfd(listing), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (below >= 0) sweep(below, depth + 1);
                continue;
            }
            if (isTemporaryName(name) && info.st_mtime < before && ::unlinkat(::dirfd(listing), entry->d_name, 0) == 0)
                ++removed;
        }
        ::closedir(listing);
    }
};
}  // namespace

std::size_t removeStaleTemporaryFiles(std::chrono::seconds age) {
    const fs::path folder = root() / "drive_c/windows/temp";
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0;
    StaleSweep sweep{std::time(nullptr) - static_cast<std::time_t>(age.count())};
    sweep.sweep(fd, 0);
    return sweep.removed;
}

}  // namespace platform::prefix
