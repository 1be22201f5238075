// SPDX-License-Identifier: Apache-2.0
// Key paths that begin with their hive, as .reg files, reg.exe's command line and messages
// write them: "HKEY_LOCAL_MACHINE\Software\X" or "HKLM\Software\X".
// Part of platform/registry; depends on Value.h only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/Value.h"

namespace platform::registry {

struct FullKeyPath {
    Hive hive;
    std::string path;  // relative to the hive, backslash-separated; empty for the hive itself

    friend bool operator==(const FullKeyPath&, const FullKeyPath&) = default;
};

// Reads "HIVE" or "HIVE\path" with the hive's short or long name in any letter case. Nothing
// when the text does not begin with a hive name.
std::optional<FullKeyPath> parseFullKeyPath(std::string_view text);

// "HKEY_LOCAL_MACHINE\path", or the hive's long name alone for the hive itself.
std::string formatFullKeyPath(Hive hive, std::string_view path);

}  // namespace platform::registry
