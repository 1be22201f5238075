// SPDX-License-Identifier: Apache-2.0
// Small RAR 5 archives written by the tests themselves: stored entries (no compression),
// folders and symbolic links, with whatever names a test needs, hostile ones included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rar_tests {

struct Rar5Entry {
    enum class Kind { File, Folder, SymbolicLink };
    std::string name;  // stored as given: "/" between folders
    std::string data;  // a file's bytes, a link's target
    Kind kind = Kind::File;
};

// The bytes of a RAR 5 archive holding the entries in order, each stored with its CRC-32.
std::string rar5Archive(const std::vector<Rar5Entry>& entries);

}  // namespace rar_tests
