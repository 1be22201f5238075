// SPDX-License-Identifier: Apache-2.0
// ACE 2.0 SOUND modes: bytes predicted per channel by an adaptive linear predictor, residuals
// Huffman-coded with zero runs. The channel layout depends on the mode (8, 16, 32A, 32B).
// Part of platform/standins/unace.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/HuffmanTable.h"

namespace unace {

class SoundDecoder {
public:
    // `mode` 3 SOUND_8, 4 SOUND_16, 5 SOUND_32A, 6 SOUND_32B.
    SoundDecoder(BitReader& in, unsigned mode);

    // Appends up to `count` bytes (a multiple of 4) to `out`; true when it stopped at a mode
    // switch symbol (the caller reads the mode record next).
    bool run(std::vector<std::uint8_t>& out, std::size_t count);

private:
    struct Channel {
        int run = 0;  // 0 normal, 1 after a zero run, 2 inside one
        int pending = 0;
        int acc = 0;
        int sel = 0;
        int last = 0;
        std::array<int, 4> d{};
        std::array<int, 4> coef{};
        std::array<int, 9> err{};
        std::uint32_t cnt = 0;
        int na = 0, nb = 0, naPrev = 0, nbPrev = 0;
    };
    // The next residual of channel `c`; false at a mode switch.
    bool residual(unsigned c, int& value);
    unsigned symbol(unsigned table);
    std::uint8_t reconstruct(Channel& ch, int residualByte);

    BitReader& in_;
    std::array<std::uint8_t, 4> channelOf_{};
    unsigned channels_ = 1;
    std::vector<HuffmanTable> tables_;
    std::size_t blockSymbols_ = 0;
    std::array<Channel, 3> state_{};
};

}  // namespace unace
