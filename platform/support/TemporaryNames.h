// SPDX-License-Identifier: Apache-2.0
// Names of the temporary files that a run removes itself and that only a killed run leaves
// behind (a download's part file, an extracted entry before its rename, the archive that
// `zip add` writes before it replaces the old one). They all begin with one marker, so that
// the next start can recognise and remove them (platform/prefix: removeStaleTemporaryFiles),
// and the rest is drawn at random, so that no one can plant a file or a link there first.
// Part of platform/support; depends on the standard library.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr std::string_view kTemporaryMarker = ".quillon-tmp-";

// ".quillon-tmp-<purpose>-<random>.part", e.g. purpose "download", "unzip", "zip". Create the
// file exclusively (O_CREAT | O_EXCL | O_NOFOLLOW) and draw a new name when it exists.
std::string temporaryName(std::string_view purpose);

// True for a name made by temporaryName, also with something appended to it (the temporary
// file a library writes beside one of ours keeps our name as its start).
bool isTemporaryName(std::string_view name);

}  // namespace platform
