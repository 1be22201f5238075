// SPDX-License-Identifier: Apache-2.0
// Files for tests: writing and reading whole files, CRC-32 of contents, and the tree a test
// left below a folder, so that a test can show exactly what was written and nothing more.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// Makes the parent folders; throws on failure.
void writeFile(const std::filesystem::path& path, const std::string& content);
// The whole file; throws when it cannot be read.
std::string readFile(const std::filesystem::path& path);
std::uint32_t crcOf(const std::string& content);
// Names of every file, folder and link below `root`, "/"-separated and sorted; a link shows
// as "name -> target".
std::vector<std::string> treeOf(const std::filesystem::path& root);

}  // namespace testing_support
