// SPDX-License-Identifier: Apache-2.0
// Shared by the patch tool's tests: reproducible old and new files with a realistic edit
// pattern, file helpers, and patches made by xdelta3. Test code only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace apatch_tests {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t size, std::uint32_t seed);
// Words from a small vocabulary: compresses well, so LZMA really shrinks the sections.
Bytes textBytes(std::size_t size, std::uint32_t seed);
// `old` with blocks inserted, deleted and moved, about one edit per `stride` bytes.
Bytes edited(const Bytes& old, std::size_t stride, std::uint32_t seed);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes readFile(const std::filesystem::path& path);

// Runs `xdelta3 -e -f OPTIONS -s OLD NEW PATCH`; fails the test when xdelta3 does.
void makePatch(const std::filesystem::path& old, const std::filesystem::path& target,
               const std::filesystem::path& patch, const std::vector<std::string>& options);

}  // namespace apatch_tests
