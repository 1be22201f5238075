// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/PicDecoder.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "platform/standins/unace/AceError.h"

namespace unace {

namespace {
constexpr std::size_t kContexts = 365;
// Bounds for hostile streams: no real picture row is this wide.
constexpr std::size_t kMaxWidth = std::size_t{1} << 24;
constexpr std::size_t kMaxPlanes = 256;
constexpr std::uint32_t kMaxUnary = std::uint32_t{1} << 20;

int q(int d) {
    const int a = std::abs(d);
    const int m = a == 0 ? 0 : a <= 2 ? 1 : a <= 6 ? 2 : a <= 20 ? 3 : 4;
    return d < 0 ? -m : m;
}
unsigned zigzagLength(unsigned j) {
    const int s = static_cast<std::int8_t>(static_cast<std::uint8_t>(j));
    return static_cast<unsigned>(std::bit_width(static_cast<unsigned>(s >= 0 ? 2 * s : -2 * s - 1)));
}
int neighbour(unsigned kind, int self, int ref) {
    switch (kind) {
        case 0:
            return self;
        case 1:
            return (128 + self - ref) & 0xFF;
        default:
            return (128 + self - ((11 * ref) >> 4)) & 0xFF;
    }
}
int output(unsigned kind, int x, int ref) {
    switch (kind) {
        case 0:
            return x;
        case 1:
            return (x + ref - 128) & 0xFF;
        default:
            return (x + ((11 * ref) >> 4) - 128) & 0xFF;
    }
}
}  // namespace

PicDecoder::PicDecoder(BitReader& in) : in_(in) {
    width_ = rice(12);
    planes_ = rice(2);
    if (width_ == 0 || width_ > kMaxWidth || planes_ == 0 || planes_ > kMaxPlanes) {
        throwCorrupt("PIC width or planes out of range");
    }
    first_.assign(kContexts, Context{});
    others_.assign(kContexts, Context{});
    prev_.assign(width_ + planes_, 0);
}

std::uint32_t PicDecoder::rice(unsigned k) {
    if (k > 24) throwCorrupt("PIC residual too wide");
    const std::uint32_t r = in_.read(k);
    std::uint32_t count = 0;
    while (in_.read(1) == 1) {
        if (++count > kMaxUnary) throwCorrupt("PIC residual too long");
    }
    const std::uint64_t value = std::uint64_t{r} + (std::uint64_t{count} << k);
    if (value > 0xFFFFFFFFu) throwCorrupt("PIC residual too large");
    return static_cast<std::uint32_t>(value);
}

int PicDecoder::signedRice(unsigned k) {
    const std::uint32_t v = rice(k);
    // Kept within int; such residuals only ever matter mod 256.
    const auto half = static_cast<std::int64_t>(v / 2);
    const std::int64_t s = (v % 2 == 0) ? half : -(half + 1);
    return static_cast<int>(s % 65536);
}

void PicDecoder::decodeRow() {
    row_.assign(width_ + planes_, 0);
    auto prevAt = [this](std::ptrdiff_t i) -> int { return i < 0 ? 0 : prev_[static_cast<std::size_t>(i)]; };
    for (std::size_t plane = 0; plane < planes_; ++plane) {
        std::vector<Context>& contexts = plane == 0 ? first_ : others_;
        unsigned kind = 0;
        if (plane > 0) {
            kind = in_.read(2);
            if (kind == 3) throwCorrupt("unknown PIC plane kind");
        }
        const int start = kind == 0 ? 0 : 128;
        int a = start, b = start, c = start, x = start;
        const auto p = static_cast<std::ptrdiff_t>(plane);
        const auto stride = static_cast<std::ptrdiff_t>(planes_);
        int d = neighbour(kind, prevAt(p), prevAt(p - 1));
        for (std::size_t col = plane; col < width_; col += planes_) {
            const auto ci = static_cast<std::ptrdiff_t>(col);
            c = a;
            a = d;
            b = x;
            d = neighbour(kind, prevAt(ci + stride), prevAt(ci + stride - 1));
            Context& ctx = contexts[static_cast<std::size_t>(std::abs(81 * q(d - a) + 9 * q(a - c) + q(c - b)))];
            const std::array<int, 4> predictions = {a, b, (a + b) >> 1, (a + b - c) & 0xFF};
            ++ctx.n;
            const int e = signedRice(static_cast<unsigned>(std::bit_width(ctx.sum / ctx.n)));
            x = (predictions[ctx.pred] + e) & 0xFF;
            ctx.sum += static_cast<std::uint64_t>(std::abs(e));
            if (ctx.n == 128) {
                ctx.n = 64;
                ctx.sum >>= 1;
            }
            for (std::size_t i = 0; i < 4; ++i)
                ctx.cost[i] += zigzagLength(static_cast<unsigned>(x - predictions[i]) & 0xFFu);
            ctx.pred = static_cast<unsigned>(std::min_element(ctx.cost.begin(), ctx.cost.end()) - ctx.cost.begin());
            if (*std::max_element(ctx.cost.begin(), ctx.cost.end()) > 127) {
                for (auto& cost : ctx.cost) cost >>= 1;
            }
            const int left = col == 0 ? 0 : row_[col - 1];
            row_[col] = static_cast<std::uint8_t>(output(kind, x, left));
        }
    }
    prev_ = row_;
}

bool PicDecoder::run(std::vector<std::uint8_t>& out, std::size_t count) {
    std::size_t produced = 0;
    for (;;) {
        const std::size_t fromPending = std::min(count - produced, pending_.size() - pendingPos_);
        out.insert(out.end(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingPos_),
                   pending_.begin() + static_cast<std::ptrdiff_t>(pendingPos_ + fromPending));
        pendingPos_ += fromPending;
        produced += fromPending;
        if (produced >= count) return false;
        if (in_.read(1) == 0) return true;
        decodeRow();
        pending_.assign(row_.begin(), row_.begin() + static_cast<std::ptrdiff_t>(width_));
        pendingPos_ = 0;
    }
}

}  // namespace unace
