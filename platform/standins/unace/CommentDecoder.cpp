// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/CommentDecoder.h"

#include <array>

#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/HuffmanTable.h"

namespace unace {

std::string decodeComment(const std::string& packed) {
    if (packed.empty()) return {};
    MemorySource bytes(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size());
    BitReader in(bytes);
    const std::size_t length = in.read(15);
    const HuffmanTable table = HuffmanTable::read(in, 11, 284);
    std::string out;
    out.reserve(length);
    // Where the last symbol after each sum of two previous bytes began.
    std::array<std::size_t, 511> lastPos{};
    while (out.size() < length) {
        std::size_t from = 0;
        if (out.size() >= 2) {
            const std::size_t h =
                static_cast<std::uint8_t>(out[out.size() - 1]) + static_cast<std::uint8_t>(out[out.size() - 2]);
            from = lastPos[h];
            lastPos[h] = out.size();
        }
        const unsigned s = table.decode(in);
        if (s < 256) {
            out.push_back(static_cast<char>(s));
            continue;
        }
        if (from >= out.size()) throwCorrupt("comment copy before its start");
        for (std::size_t i = 0; i < s - 256 + 2 && out.size() < length; ++i) out.push_back(out[from + i]);
    }
    return out;
}

}  // namespace unace
