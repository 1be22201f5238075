// SPDX-License-Identifier: Apache-2.0
// LZMA secondary compression of VCDIFF sections, as xdelta3 writes it: each kind of section
// (data, instructions, addresses) is one xz stream that runs on from window to window, and a
// compressed section holds its expanded size followed by the next piece of that stream.
// Part of platform/standins/apatch; depends on liblzma.
#pragma once

#include <lzma.h>

#include <cstdint>
#include <span>
#include <vector>

#include "platform/support/Expected.h"

namespace apatch {

class LzmaSection {
public:
    LzmaSection() = default;
    ~LzmaSection();
    LzmaSection(const LzmaSection&) = delete;
    LzmaSection& operator=(const LzmaSection&) = delete;

    // Expands one window's compressed section. The view stays valid until the next call.
    // Fails when the stated size is above `limit`, when the piece is damaged, or when it
    // expands to more or fewer bytes than stated.
    platform::Expected<std::span<const std::uint8_t>> expand(std::span<const std::uint8_t> section,
                                                             std::uint64_t limit);

private:
    lzma_stream stream_ = LZMA_STREAM_INIT;
    bool started_ = false;
    bool ended_ = false;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace apatch
