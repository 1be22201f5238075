// SPDX-License-Identifier: Apache-2.0
// Where a member's unpacked bytes go (a file being written, a checksum, a test's buffer).
// Part of platform/standins/unace; standard library only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace unace {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual void write(const std::uint8_t* data, std::size_t size) = 0;
};

}  // namespace unace
