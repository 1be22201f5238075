// Tokens that are never handed out twice, within a process or across processes, for the
// names of temporary files, staged files, run folders and RunOnce values.
// Part of platform/gorsl; depends on the standard library and the system's random source.
#pragma once

#include <string>

namespace gorsl {

// 16 hex digits drawn from the system's random source once per process (drawn again after a
// fork), a hyphen and a counter of this process: "9f3a1c2e7b114d58-3". Thread-safe.
std::string uniqueToken();

}  // namespace gorsl
