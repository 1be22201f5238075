// SPDX-License-Identifier: Apache-2.0
// ACE 2.0 entry encryption: a key from the password by one SHA-0-style compression with
// little-endian words, and Blowfish (three S-box entries altered, little-endian block halves)
// in CBC mode with a zero IV, restarted for every entry. Part of platform/standins/unace.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/standins/unace/BitReader.h"

namespace unace {

using AceKey = std::array<std::uint32_t, 5>;

// The password is cut to 50 bytes.
AceKey deriveAceKey(std::string_view password);

class AceBlowfish {
public:
    explicit AceBlowfish(const AceKey& key);
    void encrypt(std::uint32_t& left, std::uint32_t& right) const;
    void decrypt(std::uint32_t& left, std::uint32_t& right) const;

private:
    std::uint32_t f(std::uint32_t x) const;
    std::array<std::uint32_t, 18> p_;
    std::array<std::array<std::uint32_t, 256>, 4> s_;
};

// Decrypts another source's bytes in CBC mode. Only whole 8-byte blocks come out: a partial
// last block is dropped, so a decoder that needs it meets the end of the stream.
class DecryptingSource : public ByteSource {
public:
    DecryptingSource(ByteSource& inner, const AceKey& key) : inner_(inner), cipher_(key) {}
    std::size_t read(std::uint8_t* data, std::size_t size) override;

private:
    ByteSource& inner_;
    AceBlowfish cipher_;
    std::uint32_t prevLeft_ = 0;
    std::uint32_t prevRight_ = 0;
    std::array<std::uint8_t, 8> block_{};
    std::size_t blockPos_ = 8;  // bytes of block_ already handed out
};

}  // namespace unace
