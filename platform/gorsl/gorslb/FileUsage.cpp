// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/FileUsage.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace gorsl {

namespace {
bool isProcessFolder(const char* name) {
    if (!*name) return false;
    for (const char* c = name; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    return true;
}

bool hasOpen(const std::string& process, const struct stat& file) {
    const std::string fdFolder = process + "/fd";
    DIR* dir = ::opendir(fdFolder.c_str());
    if (!dir) return false;
    bool found = false;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        struct stat info {};
        // stat follows the descriptor's link to the open file itself.
        if (::stat((fdFolder + "/" + entry->d_name).c_str(), &info) == 0 && info.st_ino == file.st_ino &&
            info.st_dev == file.st_dev) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// Lines of maps: "start-end perms offset major:minor inode path".
bool hasMapped(const std::string& process, const struct stat& file) {
    FILE* maps = std::fopen((process + "/maps").c_str(), "re");
    if (!maps) return false;
    bool found = false;
    char line[4096];
    while (!found && std::fgets(line, sizeof line, maps)) {
        unsigned int major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(line, "%*s %*s %*s %x:%x %llu", &major, &minor, &inode) != 3) continue;
        found = inode == file.st_ino && makedev(major, minor) == file.st_dev;
        // A line longer than the buffer continues on the next read; skip its rest.
        while (!std::strchr(line, '\n') && std::fgets(line, sizeof line, maps)) {
        }
    }
    std::fclose(maps);
    return found;
}
}  // namespace

bool isFileInUse(const std::filesystem::path& path) {
    struct stat file {};
    if (::stat(path.c_str(), &file) != 0) return false;
    DIR* proc = ::opendir("/proc");
    if (!proc) return false;
    bool used = false;
    while (!used) {
        dirent* entry = ::readdir(proc);
        if (!entry) break;
        if (!isProcessFolder(entry->d_name)) continue;
        const std::string process = std::string("/proc/") + entry->d_name;
        used = hasOpen(process, file) || hasMapped(process, file);
    }
    ::closedir(proc);
    return used;
}

}  // namespace gorsl
