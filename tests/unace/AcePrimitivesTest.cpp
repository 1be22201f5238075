// SPDX-License-Identifier: Apache-2.0
// The building blocks of the ACE reader against known vectors: checksums, the bit reader,
// ACE's code assignment, the key derivation and the altered Blowfish, volume names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/standins/unace/AceArchive.h"
#include "platform/standins/unace/AceChecksum.h"
#include "platform/standins/unace/AceCipher.h"
#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/HuffmanTable.h"

namespace {

using namespace unace;

TEST(AceChecksum, IsTheUninvertedCrc32AndItsLowHalf) {
    const std::string text = "123456789";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    EXPECT_EQ(aceCrc32(bytes, text.size()), 0x340BC6D9u);
    EXPECT_EQ(aceCrc16(bytes, text.size()), 0xC6D9u);
}

TEST(AceBitReader, ReadsLittleEndianWordsFromTheTopBit) {
    const std::uint8_t bytes[] = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37};
    MemorySource source(bytes, sizeof bytes);
    BitReader in(source);
    EXPECT_EQ(in.read(31), 0x19991898u);
    in.skip(3);
    EXPECT_EQ(in.read(5), 27u);
    // Peeking past the end gives zeros; consuming past it is damaged data.
    in.skip(25);
    EXPECT_EQ(in.peek(11), 0u);
    EXPECT_THROW(in.skip(1), AceError);
}

TEST(AceBitReader, FirstFieldsOfARealTableHeader) {
    const std::uint8_t bytes[] = {0xE6, 0xA6, 0x1C, 0x8A};
    MemorySource source(bytes, sizeof bytes);
    BitReader in(source);
    const std::vector<unsigned> widths = {9, 4, 4, 3, 3, 3, 3, 3};
    const std::vector<std::uint32_t> expected = {276, 3, 9, 2, 3, 3, 4, 6};
    for (std::size_t i = 0; i < widths.size(); ++i) EXPECT_EQ(in.read(widths[i]), expected[i]) << i;
}

// Each row: widths of symbols 0.., then the code of each used symbol as a bit string.
TEST(AceHuffman, AssignsCodesInAcesSortOrder) {
    struct Case {
        std::vector<std::uint8_t> widths;
        std::vector<std::pair<unsigned, std::string>> codes;
    };
    const std::vector<Case> cases = {
        {{2, 2, 2, 2}, {{0, "00"}, {1, "01"}, {2, "10"}, {3, "11"}}},
        {{1, 2, 3, 3}, {{0, "0"}, {1, "10"}, {2, "110"}, {3, "111"}}},
        {{3, 3, 3, 3, 3, 3, 3, 3},
         {{3, "000"}, {2, "001"}, {1, "010"}, {0, "011"}, {7, "100"}, {6, "101"}, {5, "110"}, {4, "111"}}},
        {{2, 3, 3, 2, 3, 3}, {{3, "00"}, {0, "01"}, {1, "100"}, {2, "101"}, {4, "110"}, {5, "111"}}},
        {{0, 3, 0, 3, 2, 2, 3, 3, 0}, {{4, "00"}, {5, "01"}, {1, "100"}, {6, "101"}, {3, "110"}, {7, "111"}}},
        {{4, 4, 3, 3, 3, 3, 3, 4, 4, 3},
         {{5, "000"},
          {4, "001"},
          {3, "010"},
          {2, "011"},
          {9, "100"},
          {6, "101"},
          {1, "1100"},
          {0, "1101"},
          {8, "1110"},
          {7, "1111"}}},
    };
    for (const Case& c : cases) {
        const HuffmanTable table = HuffmanTable::build(c.widths, 11);
        for (const auto& [symbol, code] : c.codes) {
            // The code, then zeros to fill a whole word.
            std::uint32_t word = 0;
            for (std::size_t i = 0; i < code.size(); ++i) {
                if (code[i] == '1') word |= 1u << (31 - i);
            }
            const std::uint8_t bytes[] = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                                          static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
            MemorySource source(bytes, sizeof bytes);
            BitReader in(source);
            EXPECT_EQ(table.decode(in), symbol) << "code " << code;
            EXPECT_EQ(in.read(32 - static_cast<unsigned>(code.size())), 0u) << "consumed exactly " << code;
        }
    }
}

TEST(AceHuffman, RefusesOverSubscribedAndTooWideTables) {
    EXPECT_THROW(HuffmanTable::build({1, 1, 1}, 11), AceError);
    EXPECT_THROW(HuffmanTable::build({12, 12}, 11), AceError);
}

TEST(AceCipher, KeyAndAlteredBlowfishInCbcMode) {
    const AceKey key = deriveAceKey("123456789");
    EXPECT_EQ(key, (AceKey{0xb70ecb9c, 0xc63c99e5, 0xf1e50085, 0x4e0246fe, 0x3571369e}));
    std::vector<std::uint8_t> cipher(8, 0xFF);
    cipher.insert(cipher.end(), 8, 0xC7);
    MemorySource source(cipher.data(), cipher.size());
    DecryptingSource plain(source, key);
    std::vector<std::uint8_t> out(16);
    ASSERT_EQ(plain.read(out.data(), out.size()), 16u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xb7, 0x77, 0x46, 0x40, 0x35, 0x2e, 0x65, 0x72, 0x65, 0x45, 0x05, 0xc4,
                                              0xa5, 0x85, 0x29, 0xbc}));
}

TEST(AceVolumes, NextVolumeNames) {
    EXPECT_EQ(nextVolumeName("/a/set.ace"), "/a/set.c00");
    EXPECT_EQ(nextVolumeName("/a/SET.ACE"), "/a/SET.C00");
    EXPECT_EQ(nextVolumeName("/a/set.c00"), "/a/set.c01");
    EXPECT_EQ(nextVolumeName("/a/set.C09"), "/a/set.C10");
    EXPECT_EQ(nextVolumeName("/a/set.c99"), "/a/set.c100");
}

}  // namespace
