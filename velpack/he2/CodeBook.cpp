// SPDX-License-Identifier: Apache-2.0
#include "velpack/he2/CodeBook.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace velpack::he2 {

ByteCounts countBytes(std::string_view text) {
    // Four tables, so that runs of one byte do not wait on the same counter.
    std::array<ByteCounts, 4> part{};
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        ++part[0][p[i]];
        ++part[1][p[i + 1]];
        ++part[2][p[i + 2]];
        ++part[3][p[i + 3]];
    }
    for (; i < n; ++i) ++part[0][p[i]];
    ByteCounts counts{};
    for (std::size_t b = 0; b < 256; ++b) counts[b] = part[0][b] + part[1][b] + part[2][b] + part[3][b];
    return counts;
}

namespace {

struct Node {
    double weight = 0.0;
    int one = -1;     // child reached by bit 1
    int zero = -1;    // child reached by bit 0
    int symbol = -1;  // the byte of a leaf; -1 for inner nodes
};

// Keeps `list` ordered by falling weight: the new node goes before the first node whose
// weight is less than or equal to its own, so it precedes older nodes of equal weight. The
// list is always in that order, so the first such node can be found by halving.
void insertByWeight(std::vector<int>& list, const std::vector<Node>& nodes, int node) {
    const double weight = nodes[node].weight;
    auto at = std::partition_point(list.begin(), list.end(), [&](int other) { return nodes[other].weight > weight; });
    list.insert(at, node);
}

void assignCodes(const std::vector<Node>& nodes, int node, Code code, CodeBook& book) {
    const Node& n = nodes[node];
    if (n.symbol >= 0) {
        book[n.symbol] = code;
        return;
    }
    const std::size_t depth = code.length;
    ++code.length;
    if (n.one >= 0) {
        Code one = code;
        one.bits[depth / 64] |= std::uint64_t{1} << (depth % 64);
        assignCodes(nodes, n.one, one, book);
    }
    if (n.zero >= 0) assignCodes(nodes, n.zero, code, book);
}

}  // namespace

CodeBook buildCodeBook(const ByteCounts& counts, std::uint64_t total) {
    std::vector<Node> nodes;
    nodes.reserve(512);
    std::vector<int> list;
    list.reserve(256);
    for (int b = 0; b < 256; ++b) {
        if (counts[b] == 0) continue;
        nodes.push_back({static_cast<double>(counts[b]) / static_cast<double>(total), -1, -1, b});
        insertByWeight(list, nodes, static_cast<int>(nodes.size()) - 1);
    }
    if (list.size() == 1) {
        nodes.push_back({1.0, list.front(), -1, -1});
        list.front() = static_cast<int>(nodes.size()) - 1;
    }
    while (list.size() >= 2) {
        const int zero = list.back();
        list.pop_back();
        const int one = list.back();
        list.pop_back();
        nodes.push_back({nodes[zero].weight + nodes[one].weight, one, zero, -1});
        insertByWeight(list, nodes, static_cast<int>(nodes.size()) - 1);
    }
    CodeBook book{};
    if (!list.empty()) assignCodes(nodes, list.front(), Code{}, book);
    return book;
}

std::uint64_t packedBits(const ByteCounts& counts, const CodeBook& book) {
    std::uint64_t bits = 0;
    for (std::size_t b = 0; b < 256; ++b) bits += std::uint64_t{counts[b]} * book[b].length;
    return bits;
}

namespace {

// Stores a number as eight little-endian bytes.
void store64(unsigned char* p, std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

// The common case, codes of at most 56 bits: kPerStore codes are added to the accumulator
// before it is stored, which is safe while 7 + kPerStore * longest code <= 63.
template <int kPerStore>
void packShort(std::string_view text, const std::uint64_t* code, const unsigned char* length, unsigned char* out) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::uint64_t acc = 0;
    unsigned used = 0;  // bits in acc, at most 7 between stores
    auto flush = [&] {
        store64(out, acc);
        out += used >> 3;
        acc >>= used & ~7u;
        used &= 7;
    };
    std::size_t i = 0;
    for (; i + kPerStore <= n; i += kPerStore) {
        for (int k = 0; k < kPerStore; ++k) {
            acc |= code[s[i + k]] << used;
            used += length[s[i + k]];
        }
        flush();
    }
    for (; i < n; ++i) {
        acc |= code[s[i]] << used;
        used += length[s[i]];
        flush();
    }
    // The last store already holds the partial byte, padded with 0 bits.
}

// Any code length, in pieces of at most 32 bits.
void packLong(std::string_view text, const CodeBook& book, unsigned char* out) {
    std::uint64_t acc = 0;
    unsigned used = 0;
    for (unsigned char c : text) {
        const Code& code = book[c];
        for (unsigned from = 0; from < code.length; from += 32) {
            const unsigned take = std::min(32u, code.length - from);
            const std::uint64_t piece = (code.bits[from / 64] >> (from % 64)) & ((std::uint64_t{1} << take) - 1);
            acc |= piece << used;
            used += take;
            for (; used >= 8; used -= 8, acc >>= 8) *out++ = static_cast<unsigned char>(acc);
        }
    }
    if (used > 0) *out = static_cast<unsigned char>(acc);
}

}  // namespace

void packText(std::string_view text, const CodeBook& book, unsigned char* out) {
    unsigned longest = 0;
    for (const Code& c : book) longest = std::max<unsigned>(longest, c.length);
    if (longest == 0) return;
    if (longest > 56) return packLong(text, book, out);
    std::array<std::uint64_t, 256> code{};
    std::array<unsigned char, 256> length{};
    for (std::size_t b = 0; b < 256; ++b) {
        code[b] = book[b].bits[0];
        length[b] = static_cast<unsigned char>(book[b].length);
    }
    const unsigned perStore = std::min(4u, 56 / longest);
    switch (perStore) {
        case 4:
            return packShort<4>(text, code.data(), length.data(), out);
        case 3:
            return packShort<3>(text, code.data(), length.data(), out);
        case 2:
            return packShort<2>(text, code.data(), length.data(), out);
        default:
            return packShort<1>(text, code.data(), length.data(), out);
    }
}

}  // namespace velpack::he2
