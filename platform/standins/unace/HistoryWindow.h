// SPDX-License-Identifier: Apache-2.0
// The LZ77 history: the last 4 MiB of unpacked bytes that copies read from. In a solid archive
// it carries over from one member to the next; otherwise each member starts with it empty.
// Part of platform/standins/unace; standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace unace {

class HistoryWindow {
public:
    static constexpr std::size_t kSize = std::size_t{1} << 22;  // the longest distance ACE can code

    // The 4 MiB are taken on the first use, not for archives that are only listed.
    void allocate() {
        if (bytes_.empty()) bytes_.resize(kSize);
    }

    // Forget the history (a member that does not build on the ones before).
    void forget() { available_ = 0; }
    std::size_t available() const { return available_; }

    void put(std::uint8_t b) {
        bytes_[pos_] = b;
        pos_ = (pos_ + 1) & (kSize - 1);
        if (available_ < kSize) ++available_;
    }
    void append(const std::uint8_t* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) put(data[i]);
    }
    // The byte `distance` (1 = the last one) back; the caller checks distance <= available().
    std::uint8_t back(std::size_t distance) const { return bytes_[(pos_ - distance) & (kSize - 1)]; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::size_t available_ = 0;
};

}  // namespace unace
