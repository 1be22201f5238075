// SPDX-License-Identifier: Apache-2.0
// Tokens that are never handed out twice, within a process or across processes, and that no
// one can guess beforehand: for the names of temporary files, staged files, run folders and
// RunOnce values.
// Part of platform/support; depends on the standard library and the system's random source.
#pragma once

#include <string>

namespace platform {

// 16 hex digits drawn from the system's random source for each call, a hyphen and a counter
// of this process: "9f3a1c2e7b114d58-3". Thread-safe.
std::string uniqueToken();

}  // namespace platform
