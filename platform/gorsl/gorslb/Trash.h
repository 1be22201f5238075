// SPDX-License-Identifier: Apache-2.0
// The user's trash in the freedesktop.org trash layout: a file or folder is
// moved into files/ of a trash folder together with an info/<name>.trashinfo that records
// where it came from and when, so that a file manager can restore it.
// Part of platform/gorsl; depends on POSIX.
#pragma once

#include <filesystem>
#include <system_error>

namespace gorsl {

// The home trash: $XDG_DATA_HOME/Trash, ~/.local/share/Trash when that is not set.
std::filesystem::path homeTrash();

// Moves the file or folder (native, absolute) to the trash: the home trash when it lies on
// the same file system, else the trash at the top of its own file system ($topdir/.Trash/$uid
// or $topdir/.Trash-$uid), else the home trash by copying. After failure the item is where
// it was and no info file is left behind.
std::error_code moveToTrash(const std::filesystem::path& item);

}  // namespace gorsl
