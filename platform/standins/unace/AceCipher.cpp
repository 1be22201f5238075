// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/AceCipher.h"

#include <algorithm>
#include <bit>

#include "platform/standins/unace/BlowfishTables.h"

namespace unace {

namespace {
std::uint32_t le32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}
void putLe32(std::uint8_t* b, std::uint32_t v) {
    b[0] = static_cast<std::uint8_t>(v);
    b[1] = static_cast<std::uint8_t>(v >> 8);
    b[2] = static_cast<std::uint8_t>(v >> 16);
    b[3] = static_cast<std::uint8_t>(v >> 24);
}
}  // namespace

AceKey deriveAceKey(std::string_view password) {
    if (password.size() > 50) password = password.substr(0, 50);
    std::array<std::uint8_t, 60> message{};
    for (std::size_t i = 0; i < password.size(); ++i) message[i] = static_cast<std::uint8_t>(password[i]);
    message[password.size()] = 0x80;
    std::array<std::uint32_t, 80> w{};
    for (std::size_t t = 0; t < 15; ++t) w[t] = le32(&message[4 * t]);
    w[15] = static_cast<std::uint32_t>(8 * password.size());
    // The schedule does not rotate.
    for (std::size_t t = 16; t < 80; ++t) w[t] = w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16];
    constexpr AceKey kInit = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    std::uint32_t a = kInit[0], b = kInit[1], c = kInit[2], d = kInit[3], e = kInit[4];
    for (std::size_t t = 0; t < 80; ++t) {
        std::uint32_t f = 0;
        std::uint32_t k = 0;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        const std::uint32_t next = std::rotl(a, 5) + f + e + w[t] + k;
        e = d;
        d = c;
        c = std::rotl(b, 30);
        b = a;
        a = next;
    }
    return {a + kInit[0], b + kInit[1], c + kInit[2], d + kInit[3], e + kInit[4]};
}

AceBlowfish::AceBlowfish(const AceKey& key) : p_(kBlowfishInitialP), s_(kBlowfishInitialS) {
    // ACE's tables differ from Blowfish's in these three entries.
    s_[0][48] = 0x2DA9C55Du;
    s_[0][51] = 0x9B87901Eu;
    s_[0][139] = 0x412C7279u;
    for (std::size_t i = 0; i < p_.size(); ++i) p_[i] ^= key[i % key.size()];
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    for (std::size_t i = 0; i < p_.size(); i += 2) {
        encrypt(left, right);
        p_[i] = left;
        p_[i + 1] = right;
    }
    for (auto& box : s_) {
        for (std::size_t i = 0; i < box.size(); i += 2) {
            encrypt(left, right);
            box[i] = left;
            box[i + 1] = right;
        }
    }
}

std::uint32_t AceBlowfish::f(std::uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFFu]) ^ s_[2][(x >> 8) & 0xFFu]) + s_[3][x & 0xFFu];
}

void AceBlowfish::encrypt(std::uint32_t& left, std::uint32_t& right) const {
    std::uint32_t l = left;
    std::uint32_t r = right;
    for (std::size_t i = 0; i < 16; ++i) {
        l ^= p_[i];
        r ^= f(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= p_[16];
    l ^= p_[17];
    left = l;
    right = r;
}

void AceBlowfish::decrypt(std::uint32_t& left, std::uint32_t& right) const {
    std::uint32_t l = left;
    std::uint32_t r = right;
    for (std::size_t i = 17; i > 1; --i) {
        l ^= p_[i];
        r ^= f(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= p_[1];
    l ^= p_[0];
    left = l;
    right = r;
}

std::size_t DecryptingSource::read(std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (blockPos_ == block_.size()) {
            std::array<std::uint8_t, 8> cipher{};
            std::size_t got = 0;
            while (got < cipher.size()) {
                const std::size_t n = inner_.read(cipher.data() + got, cipher.size() - got);
                if (n == 0) break;
                got += n;
            }
            if (got < cipher.size()) break;
            const std::uint32_t cl = le32(&cipher[0]);
            const std::uint32_t cr = le32(&cipher[4]);
            std::uint32_t l = cl;
            std::uint32_t r = cr;
            cipher_.decrypt(l, r);
            putLe32(&block_[0], l ^ prevLeft_);
            putLe32(&block_[4], r ^ prevRight_);
            prevLeft_ = cl;
            prevRight_ = cr;
            blockPos_ = 0;
        }
        const std::size_t n = std::min(size - done, block_.size() - blockPos_);
        std::copy_n(block_.begin() + static_cast<std::ptrdiff_t>(blockPos_), n, data + done);
        blockPos_ += n;
        done += n;
    }
    return done;
}

}  // namespace unace
