// SPDX-License-Identifier: Apache-2.0
// Gorslb's special folders by folder code: the prefix's fixed folders and the install temp
// folder of the run.
// Part of platform/gorsl; depends on platform/prefix.
#pragma once

#include <cstdint>
#include <string>

namespace gorsl {

inline constexpr std::int32_t kInstallTempFolderCode = 1003;
inline constexpr std::int32_t kProgramFilesFolderCode = 38;

// The Windows-style path of the folder; see IGorslb::SpecialFolder. Throws Error 5 for an
// unknown code, 75 when the install temp folder cannot be made.
std::string specialFolder(std::int32_t code, const std::string& source);

}  // namespace gorsl
