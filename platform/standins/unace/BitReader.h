// SPDX-License-Identifier: Apache-2.0
// The bit reader under every compressed ACE stream: the bytes form 32-bit little-endian words,
// read from their most significant bit down. Peeking past the end gives zero bits; consuming
// past the end is a truncated stream. Part of platform/standins/unace; standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace unace {

// Where a member's packed bytes come from (segments of volumes, possibly decrypted).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `data`; fewer only at the end of the stream, 0 after it.
    virtual std::size_t read(std::uint8_t* data, std::size_t size) = 0;
};

// Bytes already in memory (a comment, a test's stream); they must outlive the source.
class MemorySource : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(std::uint8_t* data, std::size_t size) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class BitReader {
public:
    explicit BitReader(ByteSource& source);

    // The next n bits (n <= 32) as a number, first bit on top, without consuming them.
    std::uint32_t peek(unsigned n);
    // Throws AceError (damaged data) when this consumes bits the stream does not have.
    void skip(unsigned n);
    std::uint32_t read(unsigned n) {
        std::uint32_t v = peek(n);
        skip(n);
        return v;
    }

private:
    void refill();
    bool nextWord(std::uint32_t& word);

    ByteSource& source_;
    std::vector<std::uint8_t> chunk_;
    std::size_t chunkPos_ = 0;
    std::size_t chunkEnd_ = 0;
    bool sourceEnded_ = false;
    std::uint64_t bits_ = 0;  // the next `count_` bits at the top
    unsigned count_ = 0;
    unsigned padding_ = 0;  // zero bits at the bottom of the buffer that lie past the end
};

}  // namespace unace
