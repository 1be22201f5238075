// SPDX-License-Identifier: Apache-2.0
// ACE's LZ77 coder (method 1, and the LZ77 engine of method 2): blocks of two Huffman tables
// and a symbol count, literals, matches with recent or new distances. Its tables, block count
// and distance history live for one member, across ACE 2.0 mode switches.
// Part of platform/standins/unace.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/HistoryWindow.h"
#include "platform/standins/unace/HuffmanTable.h"

namespace unace {

class Lz77Decoder {
public:
    enum class Symbols { Ace10, Ace20 };  // Ace20 allows the mode switch symbol
    Lz77Decoder(BitReader& in, HistoryWindow& history, Symbols symbols);

    struct Run {
        std::size_t produced = 0;
        bool modeSwitch = false;  // symbol 283 was read; the caller reads the mode record next
    };
    // Appends up to `capacity` bytes to `out` (and to the history). `limit` is how many bytes
    // this stretch may still produce at most (a match past it is damaged data); it is >= capacity.
    // A match cut by `capacity` is finished by the next call.
    Run run(std::vector<std::uint8_t>& out, std::size_t capacity, std::size_t limit);

    bool copyPending() const { return pendingLength_ > 0; }

private:
    unsigned nextMainSymbol();
    void copy(std::vector<std::uint8_t>& out, std::size_t count);

    BitReader& in_;
    HistoryWindow& history_;
    Symbols symbols_;
    HuffmanTable main_;
    HuffmanTable lengths_;
    std::size_t blockSymbols_ = 0;
    std::array<std::uint32_t, 4> recent_{};  // raw distances (distance - 1), most recent first
    std::size_t pendingLength_ = 0;
    std::size_t pendingDistance_ = 0;
};

}  // namespace unace
