// SPDX-License-Identifier: Apache-2.0
// The patch tool's one operation on files: apply a VCDIFF patch to an old file and write the
// new file, which appears (by renaming a temporary file beside it) only when every window
// applied and every checksum matched. Part of platform/standins/apatch; depends on
// platform/support's staged files and POSIX.
#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/standins/apatch/VcdiffDecoder.h"
#include "platform/support/Expected.h"

namespace apatch {

// Returns the new file's length; the new file has the old one's permissions. After a failure
// no new file exists and an existing one is left as it was; a new name that is a link, a
// device or a folder is refused.
platform::Expected<std::uint64_t> applyPatchFile(const std::filesystem::path& patch, const std::filesystem::path& old,
                                                 const std::filesystem::path& target, const DecodeLimits& limits = {});

}  // namespace apatch
