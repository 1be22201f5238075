// SPDX-License-Identifier: Apache-2.0
// quillon-reg's commands, one file each (query, add, delete, import and export), on the
// registry store of the current prefix. Each prints what reg.exe prints and returns the exit
// status; a problem the user must be told is thrown as Problem (Arguments.h).
// Part of tools/quillon-reg; depends on platform/registry and platform/prefix.
#pragma once

#include "platform/registry/RegistryStore.h"
#include "tools/quillon-reg/Arguments.h"

namespace regtool {

int query(platform::registry::RegistryStore& store, const CommandLine& line);
int add(platform::registry::RegistryStore& store, const CommandLine& line);
int remove(platform::registry::RegistryStore& store, const CommandLine& line);
int import(platform::registry::RegistryStore& store, const CommandLine& line);
int exportKey(platform::registry::RegistryStore& store, const CommandLine& line);

}  // namespace regtool
