// SPDX-License-Identifier: Apache-2.0
// Entry names as the ZIP side shows and stores them: the split into the Windows-style path and
// file name of a listing, and the names files are stored under. Whether an entry may be
// extracted is the safe extractor's rule (platform/standins/extract/EntryNames.h).
// Part of platform/standins/addzip; standard library only.
#pragma once

#include <string>
#include <string_view>

namespace addzip {

// "dir/sub/file.txt" as the listing shows it: path "dir\sub", file name "file.txt".
struct ListedName {
    std::string path;
    std::string fileName;
};
ListedName listedName(std::string_view entryName);

// The "/"-separated name of a Windows-style or POSIX path with drive, share or leading
// separators removed and "." and ".." resolved by name; empty when nothing is left.
std::string storedPath(std::string_view path);

// True when the path starts at a root: with a separator ("\\server", "/home") or a drive ("C:").
bool isRootedPath(std::string_view path);

}  // namespace addzip
