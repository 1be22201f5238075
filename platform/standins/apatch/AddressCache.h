// SPDX-License-Identifier: Apache-2.0
// The address caches of VCDIFF copy instructions (RFC 3284's near and same caches with their
// default sizes), emptied at the start of every window. Part of platform/standins/apatch;
// standard library only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/standins/apatch/ByteReader.h"

namespace apatch {

class AddressCache {
public:
    static constexpr int kNearSize = 4;
    static constexpr int kSameSize = 3;

    void reset() noexcept;

    // The address of a copy made at `here` (the source segment's length plus the window's
    // bytes so far), its operand read from `addresses` in the way `mode` says. Empty when the
    // operand is missing, the mode unknown or the address not before `here`.
    std::optional<std::uint64_t> decode(std::uint8_t mode, std::uint64_t here, ByteReader& addresses) noexcept;

private:
    std::array<std::uint64_t, kNearSize> near_{};
    int nextNear_ = 0;
    std::array<std::uint64_t, kSameSize * 256> same_{};
};

}  // namespace apatch
