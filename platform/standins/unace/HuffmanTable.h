// SPDX-License-Identifier: Apache-2.0
// ACE's Huffman tables: how a table is sent (delta-coded widths with runs, behind a small
// inner table) and how widths become codes (ACE's own unstable sort fixes the order of equal
// widths, so this is not canonical Huffman). Part of platform/standins/unace.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/standins/unace/BitReader.h"

namespace unace {

class HuffmanTable {
public:
    HuffmanTable() = default;
    // Reads a table of at most `symbols` (+1) code widths, none wider than `maxWidth`.
    static HuffmanTable read(BitReader& in, unsigned maxWidth, unsigned symbols);
    // The table for these widths (symbol i has widths[i]; 0 is unused).
    static HuffmanTable build(std::vector<std::uint8_t> widths, unsigned maxWidth);

    bool empty() const { return lookup_.empty(); }
    // Throws AceError on a prefix no symbol has.
    unsigned decode(BitReader& in) const {
        std::uint32_t v = in.peek(maxWidth_);
        if (v >= lookup_.size()) throwUnassigned();
        unsigned s = lookup_[v];
        in.skip(widths_[s]);
        return s;
    }

private:
    [[noreturn]] static void throwUnassigned();

    std::vector<std::uint16_t> lookup_;  // maxWidth-bit peek value -> symbol
    std::vector<std::uint8_t> widths_;   // bits each symbol consumes
    unsigned maxWidth_ = 0;
};

}  // namespace unace
