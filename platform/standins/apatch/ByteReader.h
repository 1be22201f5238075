// SPDX-License-Identifier: Apache-2.0
// Bounded reading of a VCDIFF delta: bytes, RFC 3284 integers and slices, each of which
// reports a short input instead of reading past the end. Part of platform/standins/apatch;
// standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace apatch {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool empty() const noexcept { return position_ == bytes_.size(); }
    std::size_t remaining() const noexcept { return bytes_.size() - position_; }

    std::optional<std::uint8_t> byte() noexcept {
        if (empty()) return std::nullopt;
        return bytes_[position_++];
    }

    // An unsigned integer in base 128, most significant digit first, the high bit marking
    // every digit but the last. Values beyond 63 bits count as malformed.
    std::optional<std::uint64_t> integer() noexcept {
        std::uint64_t value = 0;
        for (;;) {
            if (empty()) return std::nullopt;
            const std::uint8_t digit = bytes_[position_++];
            if (value > (UINT64_MAX >> 8)) return std::nullopt;
            value = (value << 7) | (digit & 0x7F);
            if ((digit & 0x80) == 0) return value;
        }
    }

    std::optional<std::span<const std::uint8_t>> take(std::uint64_t count) noexcept {
        if (count > remaining()) return std::nullopt;
        auto slice = bytes_.subspan(position_, static_cast<std::size_t>(count));
        position_ += static_cast<std::size_t>(count);
        return slice;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace apatch
