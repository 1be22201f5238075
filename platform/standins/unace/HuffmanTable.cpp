// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/HuffmanTable.h"

#include <numeric>
#include <utility>

#include "platform/standins/unace/AceError.h"

namespace unace {

namespace {

void swapEntries(std::vector<std::uint8_t>& key, std::vector<std::uint16_t>& sym, int a, int b) {
    std::swap(key[static_cast<std::size_t>(a)], key[static_cast<std::size_t>(b)]);
    std::swap(sym[static_cast<std::size_t>(a)], sym[static_cast<std::size_t>(b)]);
}

// Descending by key, symbols moved along. The order of equal keys must be exactly this
// partition exchange's (two-element ranges by compare-and-swap): the codes depend on it.
void aceSort(std::vector<std::uint8_t>& key, std::vector<std::uint16_t>& sym, int lo, int hi) {
    auto k = [&](int i) { return key[static_cast<std::size_t>(i)]; };
    const std::uint8_t pivot = k(hi);
    int i = lo;
    int j = hi;
    do {
        while (i < hi && k(i) > pivot) ++i;
        while (j > lo && k(j) < pivot) --j;
        if (i <= j) {
            swapEntries(key, sym, i, j);
            ++i;
            --j;
        }
    } while (i < j);
    if (lo < j) {
        if (j - lo >= 2) {
            aceSort(key, sym, lo, j);
        } else if (k(lo) < k(j)) {
            swapEntries(key, sym, lo, j);
        }
    }
    if (i < hi) {
        if (hi - i >= 2) {
            aceSort(key, sym, i, hi);
        } else if (k(i) < k(hi)) {
            swapEntries(key, sym, i, hi);
        }
    }
}

}  // namespace

void HuffmanTable::throwUnassigned() {
    throwCorrupt("Huffman code not assigned");
}

HuffmanTable HuffmanTable::build(std::vector<std::uint8_t> widths, unsigned maxWidth) {
    HuffmanTable table;
    table.maxWidth_ = maxWidth;
    const std::size_t n = widths.size();
    if (n == 0) throwCorrupt("empty Huffman table");
    std::vector<std::uint8_t> key = widths;
    std::vector<std::uint16_t> sym(n);
    std::iota(sym.begin(), sym.end(), std::uint16_t{0});
    aceSort(key, sym, 0, static_cast<int>(n) - 1);
    std::size_t used = 0;
    while (used < n && key[used] > 0) ++used;
    table.widths_ = std::move(widths);
    if (used < 2) {
        // Zero or one usable symbol: it is consumed with one bit.
        table.widths_[sym[0]] = 1;
        used = 1;
    }
    const std::size_t capacity = std::size_t{1} << maxWidth;
    table.lookup_.reserve(capacity);
    for (std::size_t e = used; e-- > 0;) {
        const unsigned w = key[e];
        if (w > maxWidth) throwCorrupt("Huffman code too wide");
        const std::size_t copies = std::size_t{1} << (maxWidth - w);
        if (table.lookup_.size() + copies > capacity) throwCorrupt("Huffman table over-subscribed");
        table.lookup_.insert(table.lookup_.end(), copies, sym[e]);
    }
    return table;
}

HuffmanTable HuffmanTable::read(BitReader& in, unsigned maxWidth, unsigned symbols) {
    std::size_t count = in.read(9) + 1;
    if (count > symbols + 1) count = symbols + 1;
    const unsigned lower = in.read(4);
    const unsigned upper = in.read(4);
    std::vector<std::uint8_t> innerWidths(upper + 1);
    for (auto& w : innerWidths) w = static_cast<std::uint8_t>(in.read(3));
    const HuffmanTable inner = build(std::move(innerWidths), 7);

    std::vector<std::uint8_t> raw;
    raw.reserve(count);
    while (raw.size() < count) {
        const unsigned s = inner.decode(in);
        if (s < upper) {
            raw.push_back(static_cast<std::uint8_t>(s));
        } else {
            const std::size_t run = in.read(4) + 4;
            raw.insert(raw.end(), std::min(run, count - raw.size()), std::uint8_t{0});
        }
    }
    if (upper > 0) {
        for (std::size_t i = 1; i < count; ++i) raw[i] = static_cast<std::uint8_t>((raw[i] + raw[i - 1]) % upper);
    }
    for (auto& w : raw) {
        if (w == 0) continue;
        const unsigned width = w + lower;
        if (width > maxWidth) throwCorrupt("Huffman code too wide");
        w = static_cast<std::uint8_t>(width);
    }
    return build(std::move(raw), maxWidth);
}

}  // namespace unace
