// SPDX-License-Identifier: Apache-2.0
// ACE's checksums: the reflected CRC-32 without the final inversion (so NOT of zlib's value),
// and the header CRC-16, which is its low half. Part of platform/standins/unace.
#pragma once

#include <cstddef>
#include <cstdint>

namespace unace {

constexpr std::uint32_t kAceCrcStart = 0xFFFFFFFFu;

// Continues `crc` over `size` bytes; start with kAceCrcStart.
std::uint32_t aceCrc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
inline std::uint32_t aceCrc32(const std::uint8_t* data, std::size_t size) {
    return aceCrc32(kAceCrcStart, data, size);
}
inline std::uint16_t aceCrc16(const std::uint8_t* data, std::size_t size) {
    return static_cast<std::uint16_t>(aceCrc32(data, size) & 0xFFFFu);
}

}  // namespace unace
