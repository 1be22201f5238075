// SPDX-License-Identifier: Apache-2.0
// The Adler-32 checksum that xdelta3 keeps for each target window, computed with SSE2 where the
// processor has it (zlib's own loop was a third of the patch tool's time).
// Part of platform/standins/apatch; standard library only.
#pragma once

#include <cstdint>
#include <span>

namespace apatch {

// Adler-32 of `bytes`, continuing from `adler` (1 for a fresh checksum), as zlib's adler32.
std::uint32_t adler32(std::span<const std::uint8_t> bytes, std::uint32_t adler = 1) noexcept;

}  // namespace apatch
