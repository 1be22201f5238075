// SPDX-License-Identifier: Apache-2.0
// The prefix: one root folder that holds everything the host system would provide (drives,
// the Windows and system folders, the registry store), in the manner of a Wine prefix, and
// the one mapping from Windows-style paths to native paths.
// Part of platform/prefix; depends on platform/support and the standard library.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform::prefix {

// Thrown by root() when the prefix would lie in the home folder and there is none.
class NoHomeFolder : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// QUILLON_PREFIX when set, else /var/lib/quillon for root and
// ${XDG_DATA_HOME:-~/.local/share}/quillon for everyone else, the home folder being HOME or,
// when that is unset or empty, the password database's. Always absolute. Throws NoHomeFolder
// when neither gives one.
std::filesystem::path root();
std::filesystem::path registryPath();  // root()/registry.db

// The special folders that the prefix places, by their folder codes.
enum class Folder : int {
    Favorites = 6,
    Windows = 36,
    System = 37,
    CommonFiles = 43,
};
std::optional<Folder> folderFromCode(int code);
// The folder as the system's own files and scripts name it, e.g. "C:\windows\system32".
std::string windowsPath(Folder folder);
std::filesystem::path nativePath(Folder folder);
// "C:\windows\temp": temporary files and the per-run install temp folders.
std::string tempFolder();
std::string programFilesFolder();  // "C:\Program Files"

// Maps a Windows-style path to the native path it names:
//  - "\" and "/" both separate;
//  - "X:\a\b" and "X:a" go through root()/dosdevices/x:/a/b, "\a" through drive C;
//  - "\\server\share\a" goes through root()/unc/server/share/a ("\\?\" is dropped first);
//  - "." and ".." are resolved by name, never above a drive root or a UNC share;
//  - each component that is not there with its exact case matches an existing entry that
//    differs only in case, as Windows file names do;
//  - a POSIX absolute path ("/usr/x", one leading slash) is returned unchanged;
//  - any other path is taken relative to the working directory.
std::filesystem::path toNative(std::string_view path);
// The mapping with an explicit prefix root and working directory, for callers and tests.
std::filesystem::path toNative(std::string_view path, const std::filesystem::path& prefixRoot,
                               const std::filesystem::path& workingDirectory);

// The Windows-style name of a native path: inside drive_c or dosdevices a drive path,
// inside unc/ a UNC path, anything else the native path unchanged. toNative(toWindows(p))
// names p again.
std::string toWindows(const std::filesystem::path& native);

// Temporary files older than this are left over from a run that was killed: no run takes an
// hour between writing one and renaming or removing it.
inline constexpr std::chrono::seconds kStaleTemporaryAge{3600};
// Removes, below the prefix's temporary folder, the files named as temporary files
// (platform/support/TemporaryNames.h) that were last modified more than `age` ago; every other
// file stays. Links are never followed. Returns how many were removed; a missing folder is 0.
std::size_t removeStaleTemporaryFiles(std::chrono::seconds age = kStaleTemporaryAge);

// Makes the prefix's folders and links under `prefixRoot` (existing ones are kept).
// Throws std::filesystem::filesystem_error on failure.
void createLayout(const std::filesystem::path& prefixRoot);

}  // namespace platform::prefix
