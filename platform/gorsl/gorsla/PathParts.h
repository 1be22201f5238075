// SPDX-License-Identifier: Apache-2.0
// Gorsla's path parts: the file name and the folder of a Windows-style path, taken by text
// alone ("\" and "/" both separate), without touching the file system.
// Part of platform/gorsl; depends on the standard library only.
#pragma once

#include <string>
#include <string_view>

namespace gorsl {

// The part after the last separator; the whole path when it has none.
std::string fileNamePart(std::string_view path);
// The part before the last separator, a root kept whole: "C:\a" of "C:\a\b.txt", "C:\" of
// "C:\b.txt", "\" of "\b.txt", "/" of "/b"; empty when the path has no separator.
std::string folderPart(std::string_view path);

}  // namespace gorsl
