// SPDX-License-Identifier: Apache-2.0
// Folders that belong to one run of a program: made under the prefix's temp folder on first
// use, the same folder for the rest of the process, removed with their contents when the
// process ends. A run that died without removing its folder is cleaned up by the next run
// that makes one: each folder is locked (flock) by its process, so an unlocked one is stale.
// Part of platform/gorsl; depends on platform/prefix and POSIX.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>

namespace gorsl {

class RunFolder {
public:
    // Folders named "<stem>-<token>" under "C:\windows\temp".
    explicit RunFolder(std::string stem);
    // Removes the folder, in the process that made it only.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // The folder's Windows-style path. The first call makes it (after removing stale folders
    // of the same stem); later calls return the same path and make the folder again if it
    // has vanished. When the prefix has changed since, the old folder is removed and a new
    // one made in the current prefix. Throws platform::com::Error 75 when it cannot be made.
    std::string windowsPath(const std::string& source);
    // The same folder as a native path.
    std::filesystem::path nativePath(const std::string& source);

private:
    void removeFolder();
    void removeStaleFolders(const std::filesystem::path& temp);

    std::string stem_;
    std::mutex mutex_;
    std::filesystem::path prefixRoot_;
    std::filesystem::path native_;
    std::string windows_;
    int lockFd_ = -1;
    int owner_ = 0;
};

// The install temp folder (special folder 1003) and the folder of the links that ShortPath
// makes, one each per process.
RunFolder& installTempFolder();
RunFolder& shortLinkFolder();

}  // namespace gorsl
