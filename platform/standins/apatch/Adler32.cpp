// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/apatch/Adler32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace apatch {
namespace {

constexpr std::uint32_t kModulus = 65521;
// The most bytes after which the 32-bit sums, reduced before, cannot yet overflow.
constexpr std::size_t kMaxRun = 5552;

#if defined(__SSE2__)
// Adds `blocks` blocks of 16 bytes to s1 and s2 (not reduced; blocks * 16 <= kMaxRun).
void addBlocks(const std::uint8_t* data, std::size_t blocks, std::uint64_t& s1, std::uint64_t& s2) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i weightsHigh = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i weightsLow = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    __m128i sum = zero;       // bytes so far, in two 64-bit lanes
    __m128i earlier = zero;   // the byte sums before each block, added up
    __m128i weighted = zero;  // each byte times its distance from the block's end
    for (std::size_t i = 0; i < blocks; ++i) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i));
        earlier = _mm_add_epi32(earlier, sum);
        sum = _mm_add_epi32(sum, _mm_sad_epu8(block, zero));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(block, zero), weightsHigh));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(block, zero), weightsLow));
    }
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sum);
    const std::uint64_t bytesSum = std::uint64_t{lanes[0]} + lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), earlier);
    const std::uint64_t earlierSum = std::uint64_t{lanes[0]} + lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), weighted);
    const std::uint64_t weightedSum = std::uint64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
    s2 += 16 * blocks * s1 + 16 * earlierSum + weightedSum;
    s1 += bytesSum;
}
#endif

}  // namespace

std::uint32_t adler32(std::span<const std::uint8_t> bytes, std::uint32_t adler) noexcept {
    std::uint64_t s1 = adler & 0xFFFF;
    std::uint64_t s2 = adler >> 16;
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        std::size_t run = left < kMaxRun ? left : kMaxRun;
        left -= run;
#if defined(__SSE2__)
        const std::size_t blocks = run / 16;
        addBlocks(data, blocks, s1, s2);
        data += blocks * 16;
        run -= blocks * 16;
#endif
        for (; run > 0; --run) {
            s1 += *data++;
            s2 += s1;
        }
        s1 %= kModulus;
        s2 %= kModulus;
    }
    return static_cast<std::uint32_t>((s2 << 16) | s1);
}

}  // namespace apatch
