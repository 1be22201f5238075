// SPDX-License-Identifier: Apache-2.0
#include "velpack/he2/DecodingTree.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstring>
#include <new>

#include "platform/support/LargeString.h"

namespace velpack::he2 {

platform::Expected<DecodingTree> DecodingTree::fromTable(std::string_view table) {
    DecodingTree tree;
    const auto* t = reinterpret_cast<const unsigned char*>(table.data());
    const std::size_t size = table.size();
    std::size_t at = 0;
    while (at < size) {
        const unsigned char symbol = t[at++];
        if (at == size) return platform::Failure{"the code table ends inside an entry"};
        const unsigned length = t[at++];
        const std::size_t bytes = (length + 7) / 8;
        if (bytes > size - at) return platform::Failure{"the code table ends inside an entry"};
        tree.add(symbol, t + at, length);
        at += bytes;
    }
    return tree;
}

void DecodingTree::add(unsigned char symbol, const unsigned char* bits, unsigned length) {
    // A zero-bit code marks the root, which decoding never looks at.
    std::uint32_t node = 0;
    for (unsigned i = 0; i < length; ++i) {
        const unsigned bit = (bits[i / 8] >> (i % 8)) & 1u;
        const std::uint32_t ref = nodes_[node].child[bit];
        if (i + 1 == length) {
            nodes_[node].child[bit] = kLeaf | symbol;  // a subtree below it becomes unreachable
            return;
        }
        if (ref & kLeaf) return;  // below a leaf: never reached
        if (ref != 0) {
            node = ref;
            continue;
        }
        if (nodes_.size() >= kLeaf) throw std::bad_alloc();
        const auto created = static_cast<std::uint32_t>(nodes_.size());
        nodes_.emplace_back();
        nodes_[node].child[bit] = created;
        node = created;
    }
}

// Lookup entries for `width` bits taken LSB first from the root, 0 when those bits do not
// complete a code (a longer code, or a missing branch: the tree walk decides). Otherwise
// bits 0-3 hold the number of bits the entry's codes take, bits 4-7 how many codes (1 to 3)
// it completes, and bits 8-15, 16-23 and 24-31 their bytes in order.
namespace {
constexpr unsigned kMaxLookupBits = 12;
constexpr unsigned kMaxCodesPerEntry = 3;
constexpr std::uint32_t single(unsigned length, std::uint32_t symbol) {
    return (symbol << 8) | (1u << 4) | length;
}
}  // namespace

void DecodingTree::buildLookup(std::uint32_t* lookup, unsigned width) const {
    const std::uint32_t size = 1u << width;
    std::fill(lookup, lookup + size, 0u);
    struct Pending {
        std::uint32_t node, prefix;
        unsigned depth;
    };
    std::array<Pending, kMaxLookupBits * 2 + 2> stack;
    std::size_t top = 0;
    stack[top++] = {0, 0, 0};
    while (top > 0) {
        const Pending p = stack[--top];
        for (unsigned bit = 0; bit < 2; ++bit) {
            const std::uint32_t ref = nodes_[p.node].child[bit];
            const std::uint32_t prefix = p.prefix | (bit << p.depth);
            const unsigned depth = p.depth + 1;
            if (ref & kLeaf) {
                const std::uint32_t entry = single(depth, ref & 0xFFu);
                for (std::uint32_t v = prefix; v < size; v += 1u << depth) lookup[v] = entry;
            } else if (ref != 0 && depth < width) {
                stack[top++] = {ref, prefix, depth};
            }
        }
    }
    // More codes per entry: the bits after the codes taken so far, looked up again, complete
    // the next code when it needs no more bits than remain. Going downwards reads only
    // entries still holding one code, because v >> n < v (v = 0 reads itself before it is
    // written).
    for (std::uint32_t v = size; v-- > 0;) {
        std::uint32_t entry = lookup[v];
        if (entry == 0) continue;
        unsigned used = entry & 0xFu;
        for (unsigned codes = 1; codes < kMaxCodesPerEntry && used < width; ++codes) {
            const std::uint32_t next = lookup[v >> used];
            const unsigned m = next & 0xFu;
            if (next == 0 || m > width - used) break;
            used += m;
            entry = (entry & ~0xFFu) | ((next & 0xFF00u) << (8 * codes)) | ((codes + 1) << 4) | used;
        }
        lookup[v] = entry;
    }
}

namespace {
// Eight bytes as a little-endian number.
std::uint64_t load64(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

// Four bytes, the lowest first.
void store32(unsigned char* p, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    std::memcpy(p, &v, 4);
}
}  // namespace

DecodingTree::Outcome DecodingTree::decode(std::string_view data, std::uint32_t count, std::string& out) const {
    const auto* d = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t bytes = data.size();
    const std::uint64_t totalBits = std::uint64_t{bytes} * 8;
    // Every code takes at least one bit, so the data cannot give more than totalBits bytes.
    const std::uint64_t capacity = std::min<std::uint64_t>(count, totalBits);
    platform::resizeForFilling(out, static_cast<std::size_t>(capacity));
    auto* const begin = reinterpret_cast<unsigned char*>(out.data());
    unsigned char* const end = begin + capacity;
    unsigned char* o = begin;
    std::uint64_t bit = 0;  // bits consumed

    // The lookup serves the data but its last 8 bytes, 4 lookups per 64-bit load, while at
    // more than 12 output bytes remain (4 entries of up to 3 bytes, and a byte of slack); the tree walk does the rest
    // and every code the lookup cannot finish.
    std::array<std::uint32_t, 1u << kMaxLookupBits> lookup;
    // A table of about a quarter as many entries as the data has bytes: building it costs
    // less than it saves, which matters for short strings.
    const unsigned width = std::clamp(static_cast<unsigned>(std::bit_width(bytes)) - 2, 6u, kMaxLookupBits);
    const std::uint64_t mask = (std::uint64_t{1} << width) - 1;
    const std::size_t fastBytes = bytes >= 16 ? bytes - 8 : 0;  // loads start below this byte
    if (fastBytes > 0) buildLookup(lookup.data(), width);

    // Past `capacity` (when `count` is more than the data can hold) the walk meets the end.
    while (static_cast<std::uint64_t>(o - begin) < count) {
        if ((bit >> 3) < fastBytes && end - o > 4 * kMaxCodesPerEntry) {
            std::uint64_t w = load64(d + (bit >> 3)) >> (bit & 7);  // at least 57 valid bits
            auto step = [&] {
                const std::uint32_t e = lookup[w & mask];
                if (e == 0) return false;
                store32(o, e >> 8);  // the fourth byte is slack, overwritten later
                o += (e >> 4) & 0xFu;
                w >>= e & 0xFu;
                bit += e & 0xFu;
                return true;
            };
            if (step() && step() && step() && step()) continue;
        }
        // One code, bit by bit.
        std::uint32_t node = 0;
        for (;;) {
            if (bit == totalBits) return Outcome::DataEnded;
            const unsigned b = (d[bit >> 3] >> (bit & 7)) & 1u;
            ++bit;
            const std::uint32_t ref = nodes_[node].child[b];
            if (ref == 0) return Outcome::MissingBranch;
            if (ref & kLeaf) {
                assert(o < end);
                *o++ = static_cast<unsigned char>(ref);
                break;
            }
            node = ref;
        }
    }
    if ((bit + 7) / 8 < bytes) return Outcome::DataLeftOver;
    return Outcome::Decoded;
}

}  // namespace velpack::he2
