// SPDX-License-Identifier: Apache-2.0
// Gorslb's temporary file names and unique names: never the same twice, within a process or
// across processes.
// Part of platform/gorsl; depends on platform/prefix.
#pragma once

#include <string>

namespace gorsl {

// "C:\windows\temp\<name>-<token>.tmp" with characters that cannot stand in a file name
// ("\/:*?"<>|" and control characters) turned into "_"; "tmp" stands for an empty name.
// No file is at the path when it is returned.
std::string temporaryFileName(const std::string& name);
// "Quillon-<token>".
std::string uniqueName();

}  // namespace gorsl
