// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/SoundDecoder.h"

#include <bit>
#include <cstdlib>

#include "platform/standins/unace/AceError.h"

namespace unace {

namespace {
constexpr unsigned kSymbols = 289;
constexpr unsigned kMaxWidth = 10;
constexpr unsigned kSwitch = 288;

int sbyte(int x) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(x & 0xFF));
}
int q(int index) {
    const unsigned j = static_cast<unsigned>(index) & 0xFFu;
    return static_cast<int>(std::bit_width(j <= 128 ? j : 256 - j));
}
}  // namespace

SoundDecoder::SoundDecoder(BitReader& in, unsigned mode) : in_(in) {
    switch (mode) {
        case 3:
            channelOf_ = {0, 0, 0, 0};
            channels_ = 1;
            break;
        case 4:
            channelOf_ = {0, 1, 0, 1};
            channels_ = 2;
            break;
        case 5:
            channelOf_ = {0, 1, 0, 2};
            channels_ = 3;
            break;
        default:
            channelOf_ = {1, 0, 2, 0};
            channels_ = 3;
            break;
    }
    tables_.resize(3 * channels_);
}

unsigned SoundDecoder::symbol(unsigned table) {
    while (blockSymbols_ == 0) {
        for (auto& t : tables_) t = HuffmanTable::read(in_, kMaxWidth, kSymbols);
        blockSymbols_ = in_.read(15);
    }
    --blockSymbols_;
    return tables_[table].decode(in_);
}

bool SoundDecoder::residual(unsigned c, int& value) {
    Channel& ch = state_[c];
    int v = 0;
    if (ch.run == 2) {
        if (ch.pending == 0) {
            ch.run = 1;
        } else {
            --ch.pending;
        }
    } else {
        const unsigned code = symbol(3 * c + (ch.run == 1 ? 2u : static_cast<unsigned>(ch.sel)));
        if (code == kSwitch) return false;
        if (code > kSwitch) throwCorrupt("unknown SOUND symbol");
        if (ch.run == 1) {
            v = static_cast<int>(code);
            ch.run = 0;
        } else if (code >= 32) {
            v = static_cast<int>(code) - 32;
            ch.acc = ((ch.acc * 7) >> 3) + v;
            ch.sel = ch.acc > 40 ? 1 : 0;
        } else if (code == 0) {
            ch.run = 1;
        } else {
            ch.run = 2;
            ch.pending = static_cast<int>(code) - 1;
        }
    }
    value = (v & 1) == 0 ? (v >> 1) : (255 - (v >> 1));
    return true;
}

std::uint8_t SoundDecoder::reconstruct(Channel& ch, int residualByte) {
    auto predFull = [&ch] {
        int sum = 8 * ch.last;
        for (std::size_t i = 0; i < 4; ++i) sum += ch.coef[i] * ch.d[i];
        return (sum >> 3) & 0xFF;
    };
    const int full = predFull();
    const int p = ch.na > ch.nb ? (ch.last & 0xFF) : full;
    const auto byte = static_cast<std::uint8_t>((residualByte + p) & 0xFF);
    const int s = sbyte(byte);

    ++ch.cnt;
    const int e = sbyte(full - s) * 8;
    for (std::size_t i = 0; i < 4; ++i) {
        ch.err[2 * i] += std::abs(e - ch.d[i]);
        ch.err[2 * i + 1] += std::abs(e + ch.d[i]);
    }
    ch.err[8] += std::abs(e);
    const int delta = sbyte(s - ch.last);
    ch.na += q(e / 8);
    ch.nb += q(ch.last - s);
    ch.last = s;
    if (ch.cnt % 32 == 0) {
        std::size_t k = 8;
        for (std::size_t i = 9; i-- > 0;) {
            if (ch.err[i] <= ch.err[k]) k = i;
        }
        ch.err.fill(0);
        if (k != 8) {
            const std::size_t j = k >> 1;
            if (k % 2 == 0) {
                if (ch.coef[j] >= -16) --ch.coef[j];
            } else {
                if (ch.coef[j] <= 16) ++ch.coef[j];
            }
        }
        if (ch.cnt % 256 == 0) {
            ch.na -= ch.naPrev;
            ch.naPrev = ch.na;
            ch.nb -= ch.nbPrev;
            ch.nbPrev = ch.nb;
        }
    }
    ch.d[3] = ch.d[2];
    ch.d[2] = ch.d[1];
    ch.d[1] = delta - ch.d[0];
    ch.d[0] = delta;
    return byte;
}

bool SoundDecoder::run(std::vector<std::uint8_t>& out, std::size_t count) {
    for (std::size_t p = 0; p < count; ++p) {
        const unsigned c = channelOf_[p % 4];
        int r = 0;
        if (!residual(c, r)) return true;
        out.push_back(reconstruct(state_[c], r));
    }
    return false;
}

}  // namespace unace
