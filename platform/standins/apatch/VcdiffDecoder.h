// SPDX-License-Identifier: Apache-2.0
// Applying a VCDIFF delta (RFC 3284) to the bytes of an old file: source and target windows,
// the default code table, the address caches, and what xdelta3 adds by default (an application
// header, an Adler-32 checksum of each window, LZMA secondary compression). Works on memory;
// the target goes window by window to a sink. Part of platform/standins/apatch; depends on
// liblzma.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/support/Expected.h"

namespace apatch {

// What one patch may make the decoder hold or write. Every size is checked before anything is
// allocated for it.
struct DecodeLimits {
    std::uint64_t maxWindowBytes = 64u << 20;   // a target window, an expanded section, a source taken from the target
    std::uint64_t maxTargetBytes = 4ull << 30;  // the whole target
};

// Where the decoded target goes.
class TargetSink {
public:
    virtual ~TargetSink() = default;
    // Appends one window after it decoded completely and its checksum, if any, matched.
    virtual std::optional<platform::Failure> append(std::span<const std::uint8_t> window) = 0;
    // Copies target bytes appended earlier, from `offset` on, into `into`.
    virtual std::optional<platform::Failure> readBack(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
};

// A sink that keeps the target in memory.
class MemorySink final : public TargetSink {
public:
    std::vector<std::uint8_t> bytes;
    std::optional<platform::Failure> append(std::span<const std::uint8_t> window) override;
    std::optional<platform::Failure> readBack(std::uint64_t offset, std::span<std::uint8_t> into) override;
};

// Decodes `patch` against `source` into `sink` and returns the target's length. On failure the
// sink may hold the windows before the one that failed; the caller discards them.
platform::Expected<std::uint64_t> decodeDelta(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source,
                                              TargetSink& sink, const DecodeLimits& limits = {});

}  // namespace apatch
