// SPDX-License-Identifier: Apache-2.0
// Finding the parts of a RAR archive: the volumes of a multi-volume set from the first part's
// name, and where the archive starts inside a self-extracting executable. Part of
// platform/standins/unrar; depends on platform/prefix and POSIX.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace unrar {

// The name of the part that follows `name` in a volume set, by the two naming schemes:
// "x.part1.rar" -> "x.part2.rar" (the number keeps its width and grows past it: part9 ->
// part10), "x.part1.exe" -> "x.part2.rar"; "x.rar" and "x.exe" -> "x.r00", "x.r99" -> "x.s00",
// up to "x.z99". Nothing for any other name. Letter case is kept.
std::optional<std::string> nextVolumeName(std::string_view name);

// The native paths of the parts that are there, the named one first; at most kMaxVolumes.
std::vector<std::filesystem::path> findVolumes(std::string_view windowsName);
inline constexpr std::size_t kMaxVolumes = 10000;

// Where the RAR archive starts in a file's first bytes: 0 when they begin with a RAR
// signature; for an executable ("MZ"), the first signature followed by a main archive header
// within kMaxSfxStub bytes. Nothing when there is none.
std::optional<std::uint64_t> findArchiveStart(std::string_view leadingBytes);
// Self-extracting modules are a few hundred KiB; the bound keeps a large file that is not an
// archive from being searched whole.
inline constexpr std::size_t kMaxSfxStub = 4u << 20;

}  // namespace unrar
