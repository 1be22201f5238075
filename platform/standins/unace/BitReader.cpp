// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/BitReader.h"

#include <algorithm>
#include <cstring>

#include "platform/standins/unace/AceError.h"

namespace unace {

namespace {
constexpr std::size_t kChunk = 64u << 10;
}

std::size_t MemorySource::read(std::uint8_t* data, std::size_t size) {
    const std::size_t n = std::min(size, size_ - pos_);
    if (n > 0) std::memcpy(data, data_ + pos_, n);
    pos_ += n;
    return n;
}

BitReader::BitReader(ByteSource& source) : source_(source), chunk_(kChunk) {}

bool BitReader::nextWord(std::uint32_t& word) {
    std::uint8_t b[4] = {0, 0, 0, 0};
    std::size_t got = 0;
    while (got < 4) {
        if (chunkPos_ == chunkEnd_) {
            if (sourceEnded_) break;
            chunkEnd_ = source_.read(chunk_.data(), chunk_.size());
            chunkPos_ = 0;
            if (chunkEnd_ == 0) {
                sourceEnded_ = true;
                break;
            }
        }
        b[got++] = chunk_[chunkPos_++];
    }
    // A partial last word is padded with zero bytes and counts as data.
    word = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    return got > 0;
}

void BitReader::refill() {
    while (count_ + padding_ <= 32) {
        std::uint32_t word = 0;
        bool real = nextWord(word);
        unsigned shift = 32 - count_ - padding_;
        bits_ |= std::uint64_t{word} << shift;
        if (real && padding_ == 0) {
            count_ += 32;
        } else {
            padding_ += 32;
        }
    }
}

std::uint32_t BitReader::peek(unsigned n) {
    if (n == 0) return 0;
    if (count_ < n && count_ + padding_ <= 32) refill();
    return static_cast<std::uint32_t>(bits_ >> (64 - n));
}

void BitReader::skip(unsigned n) {
    if (n == 0) return;
    if (count_ < n) refill();
    if (count_ < n) throwCorrupt("packed data end early");
    bits_ = n == 64 ? 0 : bits_ << n;
    count_ -= n;
}

}  // namespace unace
