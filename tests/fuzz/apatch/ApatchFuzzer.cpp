// SPDX-License-Identifier: Apache-2.0
// Fuzzes the VCDIFF decoder. Input: two bytes giving the old file's length, the old file,
// then the patch. Small limits keep each run quick; the decoder must stay inside them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/standins/apatch/VcdiffDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t oldLength = std::min<std::size_t>(size - 2, (std::size_t{data[0]} << 8) | data[1]);
    const std::span<const std::uint8_t> old(data + 2, oldLength);
    const std::span<const std::uint8_t> patch(data + 2 + oldLength, size - 2 - oldLength);
    apatch::MemorySink sink;
    const apatch::DecodeLimits limits{.maxWindowBytes = 1u << 20, .maxTargetBytes = 4u << 20};
    auto length = apatch::decodeDelta(patch, old, sink, limits);
    if (length && *length != sink.bytes.size()) __builtin_trap();
    return 0;
}
