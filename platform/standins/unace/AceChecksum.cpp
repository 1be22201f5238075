// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/AceChecksum.h"

#include <array>

namespace unace {

namespace {
constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kTable = makeTable();
}  // namespace

std::uint32_t aceCrc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    return crc;
}

}  // namespace unace
