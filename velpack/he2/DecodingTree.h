// SPDX-License-Identifier: Apache-2.0
// The decoder's side of the HE2 codec: the tree rebuilt from the header's code table, and
// decoding the data bits with it. Part of the he2 room; platform/support only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/support/Expected.h"

namespace velpack::he2 {

class DecodingTree {
public:
    // Builds the tree from the code table: entries of a byte, a bit count n and ceil(n/8)
    // bytes of code bits, LSB first; each entry walks from the root along its bits, making
    // the missing nodes, and marks the node reached as a leaf for its byte (a later entry
    // for the same node wins). Failure: the table ends inside an entry.
    //
    // Nodes below a leaf can never be reached when decoding, so they are not made; the tree
    // therefore holds at most one node (8 bytes) per bit of code in the table, and throws
    // std::bad_alloc rather than outgrow 2^31 nodes.
    static platform::Expected<DecodingTree> fromTable(std::string_view table);

    enum class Outcome {
        Decoded,        // `count` bytes decoded and no data byte left unread
        DataEnded,      // the data ended before `count` bytes were decoded
        MissingBranch,  // a bit led to a branch the tree does not have
        DataLeftOver,   // `count` bytes decoded, but whole data bytes were left unread
    };

    // Decodes `count` bytes from `data`, bits LSB first, each code walked from the root; the
    // rest of the last byte read is ignored. Decoded: `out` holds the bytes. Otherwise `out`
    // holds an unspecified part of them. The outcome is the one a walk bit by bit meets first.
    // `out` is sized once, to `count` or to 8 bytes per data byte if that is less (every
    // code takes a bit), so a false length in a header cannot claim more memory.
    Outcome decode(std::string_view data, std::uint32_t count, std::string& out) const;

private:
    // A child reference: 0 for none, kLeaf | byte for a leaf, else the index of an inner
    // node (the root, index 0, is nobody's child).
    static constexpr std::uint32_t kLeaf = 0x8000'0000u;
    struct Node {
        std::uint32_t child[2] = {0, 0};  // indexed by the bit
    };

    DecodingTree() : nodes_(1) {}
    void add(unsigned char symbol, const unsigned char* bits, unsigned length);
    void buildLookup(std::uint32_t* lookup, unsigned width) const;

    std::vector<Node> nodes_;
};

}  // namespace velpack::he2
