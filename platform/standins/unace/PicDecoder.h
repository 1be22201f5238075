// SPDX-License-Identifier: Apache-2.0
// ACE 2.0 PIC mode: an image row by row, each byte predicted from its neighbours in the row
// above and to the left (per plane, with context-adaptive predictor choice), residuals as
// Golomb-Rice codes. Part of platform/standins/unace.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/standins/unace/BitReader.h"

namespace unace {

class PicDecoder {
public:
    // Reads the width and the number of planes that follow the switch into PIC.
    explicit PicDecoder(BitReader& in);

    // Appends up to `count` bytes to `out`; true when it stopped at a mode switch (the caller
    // reads the mode record next).
    bool run(std::vector<std::uint8_t>& out, std::size_t count);

private:
    struct Context {
        unsigned n = 0;
        unsigned pred = 0;
        std::uint64_t sum = 4;
        std::array<unsigned, 4> cost{};
    };
    std::uint32_t rice(unsigned k);
    int signedRice(unsigned k);
    void decodeRow();

    BitReader& in_;
    std::size_t width_ = 0;
    std::size_t planes_ = 0;
    std::vector<Context> first_;   // plane 0
    std::vector<Context> others_;  // planes 1 and up
    std::vector<std::uint8_t> prev_;
    std::vector<std::uint8_t> row_;
    std::vector<std::uint8_t> pending_;
    std::size_t pendingPos_ = 0;
};

}  // namespace unace
