// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/Lz77Decoder.h"

#include <algorithm>

#include "platform/standins/unace/AceError.h"

namespace unace {

namespace {
constexpr unsigned kMainSymbols = 284;
constexpr unsigned kLengthSymbols = 255;
constexpr unsigned kMaxWidth = 11;
constexpr unsigned kModeSwitch = 283;
}  // namespace

Lz77Decoder::Lz77Decoder(BitReader& in, HistoryWindow& history, Symbols symbols)
    : in_(in), history_(history), symbols_(symbols) {}

unsigned Lz77Decoder::nextMainSymbol() {
    while (blockSymbols_ == 0) {
        main_ = HuffmanTable::read(in_, kMaxWidth, kMainSymbols);
        lengths_ = HuffmanTable::read(in_, kMaxWidth, kLengthSymbols);
        blockSymbols_ = in_.read(15);
    }
    --blockSymbols_;
    return main_.decode(in_);
}

void Lz77Decoder::copy(std::vector<std::uint8_t>& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = history_.back(pendingDistance_);
        history_.put(b);
        out.push_back(b);
    }
    pendingLength_ -= count;
}

Lz77Decoder::Run Lz77Decoder::run(std::vector<std::uint8_t>& out, std::size_t capacity, std::size_t limit) {
    Run result;
    const std::size_t start = out.size();
    auto produced = [&] { return out.size() - start; };
    if (pendingLength_ > 0) copy(out, std::min(pendingLength_, capacity));
    while (produced() < capacity) {
        const unsigned s = nextMainSymbol();
        if (s < 256) {
            const auto b = static_cast<std::uint8_t>(s);
            history_.put(b);
            out.push_back(b);
            continue;
        }
        std::uint32_t raw = 0;
        std::size_t length = 0;
        if (s < 260) {
            const unsigned slot = s - 256;
            const unsigned l = lengths_.decode(in_);
            raw = recent_[slot];
            std::copy_backward(recent_.begin(), recent_.begin() + slot, recent_.begin() + slot + 1);
            recent_[0] = raw;
            length = l + (slot <= 1 ? 2 : 3);
        } else if (s < kModeSwitch) {
            const unsigned bits = s - 260;
            if (bits <= 1) {
                raw = bits;
            } else {
                raw = (std::uint32_t{1} << (bits - 1)) + in_.read(bits - 1);
            }
            const unsigned l = lengths_.decode(in_);
            length = l + (raw <= 255 ? 2 : raw <= 8191 ? 3 : 4);
            std::copy_backward(recent_.begin(), recent_.end() - 1, recent_.end());
            recent_[0] = raw;
        } else if (s == kModeSwitch && symbols_ == Symbols::Ace20) {
            result.modeSwitch = true;
            break;
        } else {
            throwCorrupt("unknown LZ77 symbol");
        }
        const std::size_t distance = std::size_t{raw} + 1;
        if (distance > history_.available()) throwCorrupt("match reaches before the history");
        if (produced() + length > limit) throwCorrupt("match runs past the end");
        pendingDistance_ = distance;
        pendingLength_ = length;
        copy(out, std::min(length, capacity - produced()));
    }
    result.produced = produced();
    return result;
}

}  // namespace unace
