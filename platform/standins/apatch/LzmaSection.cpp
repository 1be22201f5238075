// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/apatch/LzmaSection.h"

#include <string>

#include "platform/standins/apatch/ByteReader.h"

namespace apatch {
namespace {

// xdelta3 uses a 256 KiB dictionary; this leaves room for other settings but not for a
// stream header that asks for gigabytes.
constexpr std::uint64_t kDecoderMemoryLimit = 64u << 20;

platform::Failure lzmaFailure(lzma_ret result) {
    switch (result) {
        case LZMA_MEM_ERROR:
            return {"out of memory expanding a compressed section"};
        case LZMA_MEMLIMIT_ERROR:
            return {"a compressed section needs more memory than allowed"};
        case LZMA_FORMAT_ERROR:
            return {"a compressed section is not an xz stream"};
        case LZMA_OPTIONS_ERROR:
            return {"a compressed section uses unsupported xz options"};
        case LZMA_BUF_ERROR:
            return {"a compressed section is truncated"};
        default:
            return {"a compressed section is damaged (xz error " + std::to_string(result) + ")"};
    }
}

}  // namespace

LzmaSection::~LzmaSection() {
    if (started_) lzma_end(&stream_);
}

platform::Expected<std::span<const std::uint8_t>> LzmaSection::expand(std::span<const std::uint8_t> section,
                                                                      std::uint64_t limit) {
    ByteReader reader(section);
    const auto size = reader.integer();
    if (!size) return platform::Failure{"a compressed section has no size"};
    if (*size > limit) return platform::Failure{"a compressed section expands beyond the allowed size"};
    const auto piece = *reader.take(reader.remaining());
    if (ended_) {
        if (*size != 0 || !piece.empty())
            return platform::Failure{"a compressed section follows the end of its stream"};
        return std::span<const std::uint8_t>{};
    }
    if (!started_) {
        const lzma_ret result = lzma_stream_decoder(&stream_, kDecoderMemoryLimit, 0);
        if (result != LZMA_OK) return lzmaFailure(result);
        started_ = true;
    }

    buffer_.resize(static_cast<std::size_t>(*size));
    stream_.next_in = piece.data();
    stream_.avail_in = piece.size();
    stream_.next_out = buffer_.data();
    stream_.avail_out = buffer_.size();
    while (stream_.avail_in > 0 || stream_.avail_out > 0) {
        const std::size_t inBefore = stream_.avail_in;
        const std::size_t outBefore = stream_.avail_out;
        // Once the stated size is out, the rest of the piece may only close its chunk: a spare
        // byte of room catches a piece that would expand further.
        std::uint8_t spare = 0;
        const bool full = stream_.avail_out == 0;
        if (full) {
            stream_.next_out = &spare;
            stream_.avail_out = 1;
        }
        const lzma_ret result = lzma_code(&stream_, LZMA_RUN);
        if (full) {
            if (stream_.avail_out == 0) return platform::Failure{"a compressed section expands beyond its stated size"};
            stream_.avail_out = 0;
        }
        if (result == LZMA_STREAM_END) {
            ended_ = true;
            if (stream_.avail_in != 0 || stream_.avail_out != 0) {
                return platform::Failure{"a compressed section does not match its stated size"};
            }
            break;
        }
        if (result != LZMA_OK) return lzmaFailure(result);
        if (stream_.avail_in == inBefore && stream_.avail_out == outBefore) {
            return platform::Failure{full ? "a compressed section has bytes beyond its stated size"
                                          : "a compressed section is truncated"};
        }
    }
    return std::span<const std::uint8_t>(buffer_);
}

}  // namespace apatch
