// SPDX-License-Identifier: Apache-2.0
// Plugin libraries: a library that should load what it needs (Qt, libcurl) only when it is
// used keeps that part in a plugin beside itself and opens it on first use.
// Part of platform/support; depends on the standard library and POSIX (dlopen).
#pragma once

#include "platform/support/Expected.h"

namespace platform {

// Opens the plugin `file` in the folder of the library (or program) that holds `self` and
// returns the address of its symbol `entry`. The plugin stays loaded until the program ends.
// Failure: in words, naming the file or the system's reason.
Expected<void*> pluginEntry(const void* self, const char* file, const char* entry);

}  // namespace platform
