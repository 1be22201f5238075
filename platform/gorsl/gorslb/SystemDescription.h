// SPDX-License-Identifier: Apache-2.0
// Gorslb's system description: the line that names the operating system in install logs.
// Part of platform/gorsl; depends on POSIX.
#pragma once

#include <filesystem>
#include <string>

namespace gorsl {

// PRETTY_NAME of /etc/os-release (else /usr/lib/os-release, else "Unknown system") and, in
// brackets, uname's system name, release and machine.
std::string systemDescription();
// PRETTY_NAME of an os-release file, unquoted; empty when the file or the key is missing.
std::string prettyNameFrom(const std::filesystem::path& osRelease);

}  // namespace gorsl
