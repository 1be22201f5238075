// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/ShortPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/gorsl/common/Errors.h"
#include "platform/gorsl/gorslb/RunFolder.h"
#include "platform/prefix/Prefix.h"

namespace fs = std::filesystem;

namespace gorsl {

namespace {
bool hasBlank(const std::string& text) {
    return text.find(' ') != std::string::npos;
}

// Links handed out in this process, by what they point at, so a path keeps its short form.
struct Links {
    std::mutex mutex;
    fs::path folder;
    std::map<fs::path, std::string> byTarget;
    int next = 0;
};
Links& links() {
    static Links l;
    return l;
}

// The Windows-style path of a link without blanks to `target`, named by a number and the
// extension given (files keep theirs, so tools that look at it still see it).
std::string linkTo(const fs::path& target, std::string extension, const std::string& source) {
    const std::string folderWindows = shortLinkFolder().windowsPath(source);
    const fs::path folder = shortLinkFolder().nativePath(source);
    Links& l = links();
    std::lock_guard lock(l.mutex);
    if (l.folder != folder) {
        l.folder = folder;
        l.byTarget.clear();
    }
    if (auto it = l.byTarget.find(target); it != l.byTarget.end()) return folderWindows + "\\" + it->second;
    if (hasBlank(extension)) extension.clear();
    std::string name = std::to_string(++l.next) + extension;
    if (::symlink(target.c_str(), (folder / name).c_str()) != 0)
        throw fileError(source, "make a short path for", target.string(), {errno, std::generic_category()});
    l.byTarget.emplace(target, name);
    return folderWindows + "\\" + name;
}
}  // namespace

std::string shortPath(const std::string& path, const std::string& source) {
    if (!hasBlank(path)) return path;
    const fs::path native = platform::prefix::toNative(path);
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0)
        throw fileError(source, "take the short path of", path, {errno, std::generic_category()});
    const std::string name = native.filename().string();
    if (hasBlank(name) || native.parent_path() == native)
        return linkTo(native, S_ISDIR(info.st_mode) ? std::string() : native.extension().string(), source);
    // Linking the folder keeps the file itself in place, so writes that replace the file by
    // renaming land in the real folder.
    return linkTo(native.parent_path(), {}, source) + "\\" + name;
}

}  // namespace gorsl
