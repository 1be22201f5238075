// SPDX-License-Identifier: Apache-2.0
// Gorslb's short paths: a form of a path without blanks that names the same existing file,
// made of links in a folder of the prefix that lives as long as the process.
// Part of platform/gorsl; depends on platform/prefix.
#pragma once

#include <string>

namespace gorsl {

// See IGorslb::ShortPath. Throws Error 53 for a missing path, 75 when no link can be made.
std::string shortPath(const std::string& path, const std::string& source);

}  // namespace gorsl
