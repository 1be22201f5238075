// SPDX-License-Identifier: Apache-2.0
// The few central-directory fields that libzip does not hand out: the versions that made and
// that need each entry, its text flag, and its name as stored (libzip's ends at a NUL byte).
// Anything odd gives an empty result, and the caller falls back to what libzip gives.
// Part of platform/standins/addzip; standard library and POSIX only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace addzip {

struct DirectoryFields {
    std::uint16_t madeBy = 0;  // high byte the host system, low byte the version times ten
    std::uint16_t needed = 0;
    bool text = false;    // internal attributes bit 0
    std::string rawName;  // every byte of the stored name, NUL bytes included
};

// The fields of every central-directory entry in archive order, or an empty vector when the
// directory cannot be found or read cleanly.
std::vector<DirectoryFields> readDirectoryFields(const std::filesystem::path& archive);

}  // namespace addzip
