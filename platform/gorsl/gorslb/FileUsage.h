// SPDX-License-Identifier: Apache-2.0
// Whether a running process uses a file: has it open or mapped (a loaded library, a running
// program), as fuser sees it, by a scan of /proc/*/fd and /proc/*/maps. Processes whose
// /proc entries this process may not read are not seen.
// Part of platform/gorsl; depends on Linux's /proc.
#pragma once

#include <filesystem>

namespace gorsl {

// True when some running process (this one included) has the file open or mapped. False
// for a missing file.
bool isFileInUse(const std::filesystem::path& file);

}  // namespace gorsl
