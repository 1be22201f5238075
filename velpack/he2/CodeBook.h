// SPDX-License-Identifier: Apache-2.0
// The encoder's side of the HE2 codec: the Huffman tree built from the byte counts by the
// format's fixed rules, the code each byte gets from it, and packing a text with those codes.
// Part of the he2 room; standard library only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velpack::he2 {

// A tree over at most 256 leaves is at most 255 deep, so every code fits the table's
// one-byte bit count.
inline constexpr std::size_t kMaxCodeLength = 255;

struct Code {
    std::uint16_t length = 0;             // in bits; 0 for a byte that does not occur
    std::array<std::uint64_t, 4> bits{};  // bit i of the code (from the root) in bit i % 64 of bits[i / 64]
};

using ByteCounts = std::array<std::uint32_t, 256>;
using CodeBook = std::array<Code, 256>;

// Counts each byte value of `text`, which must be shorter than 2^32 bytes.
ByteCounts countBytes(std::string_view text);

// The code of every byte whose count is above 0; the other entries stay empty.
// `total` is the sum of the counts and must be above 0.
//
// The tree follows the format exactly: weights are count / total as doubles and inner
// weights sums of doubles, so equal weights compare as the doubles do; the node list is
// kept by falling weight with a new node before the older ones of equal weight; the two
// last nodes become the 0-child and the 1-child of a new node; a lone byte gets the code 1.
CodeBook buildCodeBook(const ByteCounts& counts, std::uint64_t total);

// The number of data bits that packing a text with these counts produces.
std::uint64_t packedBits(const ByteCounts& counts, const CodeBook& book);

// Writes the codes of all bytes of `text` LSB-first into `out`, the last byte padded with 0
// bits. `out` must hold ceil(packedBits / 8) bytes plus 8 bytes of slack, which may be
// overwritten; every byte of `text` must have a code.
void packText(std::string_view text, const CodeBook& book, unsigned char* out);

}  // namespace velpack::he2
