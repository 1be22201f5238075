// SPDX-License-Identifier: Apache-2.0
#include "velpack/he2/DecodingTree.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

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
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// Data from this size on is decoded by two decoders at once (see decode).
constexpr std::size_t kSpeculateBytes = 64 * 1024;
// How many of its first codes the second decoder keeps the starts of, for the first to meet.
constexpr std::size_t kSyncCodes = 256;
#else
// Fuzzing reaches the two decoders with short inputs.
constexpr std::size_t kSpeculateBytes = 64;
constexpr std::size_t kSyncCodes = 8;
#endif
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

    // One code, bit by bit: the exact rule, which every other way of decoding must match.
    // Nothing: a byte was decoded. Otherwise how the decode ends.
    auto walkOne = [&](std::uint64_t& at, unsigned char*& to) -> std::optional<Outcome> {
        std::uint32_t node = 0;
        for (;;) {
            if (at == totalBits) return Outcome::DataEnded;
            const unsigned b = (d[at >> 3] >> (at & 7)) & 1u;
            ++at;
            const std::uint32_t ref = nodes_[node].child[b];
            if (ref == 0) return Outcome::MissingBranch;
            if (ref & kLeaf) {
                *to++ = static_cast<unsigned char>(ref);
                return std::nullopt;
            }
            node = ref;
        }
    };
    // Up to four lookups from one load while the load stays in the data and `to` has room for
    // them (up to 3 bytes each and a byte of slack) below `limit`; false when an entry was
    // missing (a long code, or a missing branch: the walk decides) or there was no room.
    auto lookupSteps = [&](std::uint64_t& at, unsigned char*& to, const unsigned char* limit) {
        if ((at >> 3) >= fastBytes || limit - to <= 4 * static_cast<std::ptrdiff_t>(kMaxCodesPerEntry)) return false;
        std::uint64_t w = load64(d + (at >> 3)) >> (at & 7);  // at least 57 valid bits
        for (int k = 0; k < 4; ++k) {
            const std::uint32_t e = lookup[w & mask];
            if (e == 0) return false;
            store32(to, e >> 8);  // the fourth byte is slack, overwritten later
            to += (e >> 4) & 0xFu;
            w >>= e & 0xFu;
            at += e & 0xFu;
        }
        return true;
    };
    // Decodes from `bit` until `count` bytes are there, or (at a step's end) `bit` has
    // reached `stop`. Nothing: stopped there; otherwise how the decode ends.
    auto run = [&](std::uint64_t stop) -> std::optional<Outcome> {
        while (static_cast<std::uint64_t>(o - begin) < count) {
            if (bit >= stop) return std::nullopt;
            if (lookupSteps(bit, o, end)) continue;
            // Past `capacity` (when `count` is more than the data can hold) the walk meets the end.
            assert(o < end || bit == totalBits);
            if (auto ending = walkOne(bit, o)) return ending;
        }
        return (bit + 7) / 8 < bytes ? Outcome::DataLeftOver : Outcome::Decoded;
    };

    // The data has no block boundaries. On long data a second decoder (B) starts in the middle
    // at a guessed code boundary and runs interleaved with the first (A), so that one thread
    // follows two chains of lookups at once. B decodes its first codes one by one and keeps
    // where each starts; once A, which is always right, ends a code exactly where one of them
    // starts, both read the same codes from there on, and A takes B's bytes and position.
    // When they never meet, or B's bytes would pass the stated length, B's work is dropped and
    // A goes on alone; B only ever stops before what it cannot decode, so A meets every
    // error itself, where a walk bit by bit would meet it.
    if (bytes >= kSpeculateBytes && count >= kSpeculateBytes) {
        const std::uint64_t middle = (bytes / 2) * 8;
        // Only the pages B writes are touched.
        std::unique_ptr<unsigned char[]> tail(new unsigned char[capacity + 16]);
        platform::adviseHugePages(tail.get(), capacity + 16);
        unsigned char* t = tail.get();
        const unsigned char* const tailEnd = t + capacity;
        std::array<std::uint64_t, kSyncCodes> starts;  // where B's first codes start
        std::uint64_t b = middle;
        std::size_t started = 0;
        for (; started < kSyncCodes; ++started) {
            starts[started] = b;
            if (walkOne(b, t)) break;  // the guess led nowhere
        }
        if (started == kSyncCodes) {
            // A stops short of the middle, so that it compares each of its code ends there.
            const std::uint64_t stopA = middle - std::min<std::uint64_t>(middle, 64 * 8);
            bool bRuns = true;
            while (static_cast<std::uint64_t>(o - begin) < count && bit < stopA) {
                if (!lookupSteps(bit, o, end)) {
                    if (auto ending = walkOne(bit, o)) return *ending;
                    continue;
                }
                if (bRuns) bRuns = lookupSteps(b, t, tailEnd);
            }
            while (bRuns) bRuns = lookupSteps(b, t, tailEnd);
            std::size_t k = 0;
            while (static_cast<std::uint64_t>(o - begin) < count) {
                while (k < kSyncCodes && starts[k] < bit) ++k;
                if (k == kSyncCodes || starts[k] == bit) break;
                if (auto ending = walkOne(bit, o)) return *ending;
            }
            const auto taken = static_cast<std::uint64_t>(t - tail.get()) - k;
            if (k < kSyncCodes && starts[k] == bit && static_cast<std::uint64_t>(o - begin) + taken <= count) {
                std::memcpy(o, tail.get() + k, static_cast<std::size_t>(taken));
                o += taken;
                bit = b;
            }
        }
    }
    if (auto ending = run(~std::uint64_t{0})) return *ending;
    return Outcome::Decoded;  // not reached: run stops only at the end
}

}  // namespace velpack::he2
