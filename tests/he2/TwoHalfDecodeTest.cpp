// SPDX-License-Identifier: Apache-2.0
// Long data is decoded by two decoders at once, the second starting in the middle at a
// guessed code boundary. Whatever the data, the decode must end exactly as the bit-by-bit
// reference decoder ends: texts whose second decoder meets the first at once, late or never,
// damage just before and after the middle, and stated lengths that end inside or before the
// second decoder's part.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/he2/ReferenceCodec.h"
#include "velpack/he2/HuffmanCoding.h"

namespace {

using he2_reference::Outcome;

Outcome fastDecode(std::string_view encoded) {
    return he2_reference::outcomeOf([](std::string_view s) { return velpack::HuffmanDecode(s); }, encoded);
}

std::string text(std::size_t size, unsigned kind, std::mt19937& random) {
    std::string out(size, '\0');
    for (char& c : out) {
        const unsigned r = random();
        switch (kind) {
            case 0:  // all bytes alike: 8-bit codes
                c = static_cast<char>(r);
                break;
            case 1:  // eight bytes alike: 3-bit codes, which meet a byte boundary every third byte only
                c = static_cast<char>('a' + r % 8);
                break;
            case 2:  // skewed, codes of 1 to about 20 bits
                c = static_cast<char>('a' + std::min(25, std::countr_zero(r | 0x8000'0000u)));
                break;
            default:  // prose-like
                c = " eeettaaoinshrdlucmfwypvbgkqjxz,.\n"[(r % 34) * (r % 34) / 34];
        }
    }
    return out;
}

// Where the stated length starts: after the table and the check byte.
std::size_t lengthStart(const std::string& encoded) {
    return encoded.find('\r', 4) + 1 + std::stoul(encoded.substr(4)) + 1;
}

TEST(HuffmanCoding, LongDataDecodesAsTheReferenceWhereverTheHalvesMeet) {
    std::mt19937 random(17);
    for (unsigned kind = 0; kind < 4; ++kind) {
        // Data lengths whose middle lies on each phase of the 3-bit codes.
        for (std::size_t size : {std::size_t{190001}, std::size_t{190004}, std::size_t{190007}}) {
            const std::string plain = text(size, kind, random);
            const std::string encoded = velpack::HuffmanEncode(plain, velpack::Force::Yes);
            ASSERT_EQ(fastDecode(encoded), (Outcome{true, plain, 0, {}, {}})) << kind << " " << size;

            const std::size_t lengthAt = lengthStart(encoded);
            const std::size_t data = encoded.find('\r', lengthAt) + 1;
            const std::size_t middle = data + (encoded.size() - data) / 2;
            std::vector<std::string> variants;
            for (std::ptrdiff_t at : {-70, -3, 0, 1, 9, 300}) {
                std::string flipped = encoded;
                flipped[middle + at] = static_cast<char>(flipped[middle + at] ^ (1 << (random() % 8)));
                variants.push_back(flipped);
                variants.push_back(encoded.substr(0, middle + at) + encoded.substr(middle + at + 1));
            }
            // Stated lengths that end before the middle, just after it, near and past the true one.
            for (std::size_t stated : {size / 3, size / 2 + 5, size - 1, size + 1}) {
                variants.push_back(encoded.substr(0, lengthAt) + std::to_string(stated) + encoded.substr(data - 1));
            }
            for (std::size_t v = 0; v < variants.size(); ++v)
                ASSERT_EQ(fastDecode(variants[v]), he2_reference::decode(variants[v]))
                    << "kind " << kind << " size " << size << " variant " << v;
        }
    }
}

}  // namespace
