// SPDX-License-Identifier: Apache-2.0
#include "velpack/he2/HuffmanCoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <velpack/Velpack.h>
#include "platform/com/Error.h"
#include "platform/com/Unknown.h"
#include "platform/support/TextEncoding.h"
#include "tests/he2/ReferenceCodec.h"
#include "velpack/frame/Factories.h"
#include "velpack/he2/CodeBook.h"

using he2_reference::Outcome;
using velpack::Force;
using velpack::HuffmanDecode;
using velpack::HuffmanEncode;

namespace {

Outcome decoded(std::string text) {
    return {true, std::move(text), 0, {}, {}};
}
Outcome invalidArgument() {
    return {false, {}, 5, "Velpack", "Invalid procedure call or argument"};
}

const Outcome E1 = he2_reference::decodeError(1);
const Outcome E2 = he2_reference::decodeError(2);
const Outcome E3 = he2_reference::decodeError(3);
const Outcome E4 = he2_reference::decodeError(4);
const Outcome E5 = he2_reference::decodeError(5);
const Outcome E6 = he2_reference::decodeError(6);

Outcome fastDecode(std::string_view encoded) {
    return he2_reference::outcomeOf([](std::string_view s) { return HuffmanDecode(s); }, encoded);
}

platform::com::Ptr<velpack::ICompressionAlgorithm> compressionAlgorithm() {
    return velpack::createCompressionAlgorithm().query<velpack::ICompressionAlgorithm>();
}

// Bytes from text pieces and byte values: bytes({"HE2\r", 'a', 0x01}).
struct Piece {
    Piece(const char* text) : bytes(text) {}
    Piece(int byte) : bytes(1, static_cast<char>(byte)) {}
    std::string bytes;
};
std::string bytes(std::initializer_list<Piece> pieces) {
    std::string out;
    for (const Piece& p : pieces) out += p.bytes;
    return out;
}

// "ab", forced: the format's own example.
const std::string kAbForced =
    bytes({0x48, 0x45, 0x32, 0x0D, 0x36, 0x0D, 0x61, 0x01, 0x00, 0x62, 0x01, 0x01, 0x03, 0x32, 0x0D, 0x02});

enum class Operation { Encode, EncodeForced, Decode, QuickCompress, QuickDecompress };

TEST(HuffmanCoding, ExamplesAndEdgeCases) {
    // 17 bytes where 1/17 + 2/17 < 3/17 in doubles: the a+b node goes after the leaf "c" instead of
    // before it, as equal counts would have it, which gives "c" a 2-bit code and "a", "b" 3 bits.
    const std::string doubles = "abbcccddddddddddd";
    const std::string doublesForced = bytes(
        {"HE2\r12\r", 'a', 3, 0x00, 'b', 3, 0x04, 'c', 2, 0x02, 'd', 1, 0x01, 'f', "17\r", 0x20, 0xD5, 0xFF, 0x03});
    // "ab" with its parts spelled out, to vary one at a time.
    auto ab = [](const char* tableLength, const char* sourceLength, int check = 0x03) {
        return bytes({"HE2\r", tableLength, "\r", 'a', 1, 0x00, 'b', 1, 0x01, check, sourceLength, "\r", 0x02});
    };
    const std::string onlyA = bytes({"HE2\r3\r", 'a', 1, 0x01, 'a'});  // "a" is code 1; 0 leads nowhere
    struct Case {
        const char* name;
        Operation operation;
        std::string input;
        Outcome expected;
        std::int32_t algorithm = velpack::oviacHuffman;
    } cases[] = {
        {"ab forced", Operation::EncodeForced, "ab", decoded(kAbForced)},
        {"ab stored because 16 > 2", Operation::Encode, "ab", decoded("HE0\rab")},
        {"ab decoded", Operation::Decode, kAbForced, decoded("ab")},
        {"empty", Operation::Encode, "", decoded("HE0\r")},
        {"empty forced", Operation::EncodeForced, "", decoded("HE0\r")},
        {"empty decoded", Operation::Decode, "HE0\r", decoded("")},
        {"stored decoded", Operation::Decode, "HE0\r\rHE2\r", decoded("\rHE2\r")},
        {"one byte repeated: code 1", Operation::Encode, std::string(40, 'a'),
         decoded(bytes({"HE2\r3\r", 'a', 1, 0x01, 0x00, "40\r", 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}))},
        {"four equal bytes: 13 > 4", Operation::Encode, "aaaa", decoded("HE0\raaaa")},
        {"four equal bytes forced", Operation::EncodeForced, "aaaa",
         decoded(bytes({"HE2\r3\r", 'a', 1, 0x01, 0x00, "4\r", 0x0F}))},
        {"weights compare as doubles", Operation::EncodeForced, doubles, decoded(doublesForced)},
        {"NUL, CR and 0xFF as data", Operation::Decode, HuffmanEncode(bytes({0, '\r', 0xFF, '\r'}), Force::Yes),
         decoded(bytes({0, '\r', 0xFF, '\r'}))},

        {"E1 no carriage return after table length", Operation::Decode, "HE2\rx", E1},
        {"E1 signature alone", Operation::Decode, "HE2\r", E1},
        {"E1 short input", Operation::Decode, "HE2", E1},
        {"E1 empty input", Operation::Decode, "", E1},
        {"E1 other signature", Operation::Decode, "HE1\r6\r", E1},
        {"E1 signature without carriage return", Operation::Decode, "HE2\n6\r", E1},
        {"E2 table length not a number", Operation::Decode, "HE2\rx\r", E2},
        {"E2 table length missing", Operation::Decode, "HE2\r\r", E2},
        {"E2 table length negative", Operation::Decode, ab("-6", "2"), E2},
        {"E2 table length with a fraction", Operation::Decode, ab("6.0", "2"), E2},
        {"E2 table length beyond 32 bits", Operation::Decode, ab("4294967302", "2"), E2},
        {"E2 no carriage return after source length", Operation::Decode, onlyA + "1", E2},
        {"E2 source length not a number", Operation::Decode, ab("6", "2x"), E2},
        {"E2 source length negative", Operation::Decode, ab("6", "-2"), E2},
        {"E3 last data byte removed", Operation::Decode, kAbForced.substr(0, kAbForced.size() - 1), E3},
        {"E3 source length beyond the data", Operation::Decode, onlyA + bytes({"2147483647\r", 0xFF}), E3},
        {"E4 bit 0 where only code 1 exists", Operation::Decode, onlyA + bytes({"1\r", 0x00}), E4},
        {"E4 empty table", Operation::Decode, bytes({"HE2\r0\r", 'a', "1\r", 0x00}), E4},
        {"E5 one byte appended", Operation::Decode, kAbForced + bytes({0x00}), E5},
        {"E5 data with source length 0", Operation::Decode, bytes({"HE2\r0\r", 0x00, "0\r", 0x01}), E5},
        {"E6 check byte flipped", Operation::Decode, ab("6", "2", 0x02), E6},
        {"error 5 table ends after a byte", Operation::Decode, "HE2\r1\ra", invalidArgument()},
        {"error 5 table ends inside the code bits", Operation::Decode, bytes({"HE2\r6\r", 'a', 1, 0x00, 'b', 1}),
         invalidArgument()},
        {"error 5 no check byte", Operation::Decode, bytes({"HE2\r3\r", 'a', 1, 0x01}), invalidArgument()},

        {"lengths with blanks and sign", Operation::Decode, ab(" +6 ", " 2\t"), decoded("ab")},
        {"source length 0 and no data", Operation::Decode, bytes({"HE2\r0\r", 0x00, "0\r"}), decoded("")},
        {"later entry for the same code wins", Operation::Decode,
         bytes({"HE2\r6\r", 'a', 1, 0x01, 'z', 1, 0x01, 'z', "1\r", 0x01}), decoded("z")},

        {"QuickDecompress 0 leaves HE2 text as it is", Operation::QuickDecompress, kAbForced, decoded(kAbForced), 0},
        {"QuickCompress 0 leaves text as it is", Operation::QuickCompress, "aaaa", decoded("aaaa"), 0},
        {"QuickCompress 1 does not force", Operation::QuickCompress, "ab", decoded("HE0\rab")},
        {"QuickDecompress 1 decodes", Operation::QuickDecompress, kAbForced, decoded("ab")},
        {"QuickDecompress 1 raises", Operation::QuickDecompress, "HE2\rx\r", E2},
    };
    auto algorithm = compressionAlgorithm();
    ASSERT_TRUE(algorithm);
    for (const Case& c : cases) {
        auto run = [&](std::string_view input) -> std::string {
            const auto number = static_cast<velpack::OVImplAlgoConstants>(c.algorithm);
            switch (c.operation) {
                case Operation::Encode:
                    return HuffmanEncode(input, Force::No);
                case Operation::EncodeForced:
                    return HuffmanEncode(input, Force::Yes);
                case Operation::Decode:
                    return HuffmanDecode(input);
                case Operation::QuickCompress:
                    return algorithm->QuickCompress(std::string(input), number);
                case Operation::QuickDecompress:
                    return algorithm->QuickDecompress(std::string(input), number);
            }
            return {};
        };
        EXPECT_EQ(he2_reference::outcomeOf(run, c.input), c.expected) << c.name;
        if (c.operation == Operation::Decode) {
            EXPECT_EQ(he2_reference::decode(c.input), c.expected) << c.name;
        }
        if (c.operation == Operation::EncodeForced || c.operation == Operation::Encode) {
            EXPECT_EQ(he2_reference::encode(c.input, c.operation == Operation::EncodeForced), c.expected.text)
                << c.name;
        }
    }
}

// Texts of assorted sizes and byte distributions, from a fixed seed.
class Texts {
public:
    explicit Texts(std::uint32_t seed) : random_(seed) {}

    std::string make(std::size_t size, int distribution) {
        std::string text(size, '\0');
        switch (distribution % 7) {
            case 0:  // uniform over all 256 values
                for (char& c : text) c = static_cast<char>(random_() & 0xFF);
                break;
            case 1: {  // a few letters
                std::uniform_int_distribution<int> letter('a', 'e');
                for (char& c : text) c = static_cast<char>(letter(random_));
                break;
            }
            case 2: {  // geometric: long codes for the rare bytes
                std::geometric_distribution<int> g(0.3);
                for (char& c : text) c = static_cast<char>(std::min(g(random_), 255));
                break;
            }
            case 3: {  // one dominant byte with rare others
                for (char& c : text) c = (random_() % 64) ? 'x' : static_cast<char>(random_() & 0xFF);
                break;
            }
            case 4:  // a single byte value
                std::fill(text.begin(), text.end(), static_cast<char>(random_() & 0xFF));
                break;
            case 5: {  // text-like: words, blanks, line ends
                static const char* const words[] = {"Update", "der", "Datei", "wird", "installiert", "und",
                                                    "\r\n",   "HE2", ".",     "für",  "Orvane",      "0x1F"};
                text.clear();
                while (text.size() < size) {
                    text += words[random_() % std::size(words)];
                    text += ' ';
                }
                text.resize(size);
                break;
            }
            default: {  // two bytes, very skewed
                for (char& c : text) c = (random_() % 1000) ? '\0' : '\r';
                break;
            }
        }
        return text;
    }

    std::size_t size() {
        static const std::size_t sizes[] = {1, 2, 3, 4, 7, 8, 9, 15, 16, 17, 31, 64, 255, 1000, 4096, 20000};
        return (random_() % 4 == 0) ? random_() % 3000 : sizes[random_() % std::size(sizes)];
    }

    std::mt19937& random() { return random_; }

private:
    std::mt19937 random_;
};

TEST(HuffmanCoding, RoundTripsAndMatchesTheReferenceEncoder) {
    Texts texts(6);
    for (int i = 0; i < 400; ++i) {
        const std::string text = texts.make(texts.size(), i);
        for (Force force : {Force::No, Force::Yes}) {
            const std::string encoded = HuffmanEncode(text, force);
            ASSERT_EQ(encoded, he2_reference::encode(text, force == Force::Yes)) << "text #" << i;
            ASSERT_EQ(HuffmanDecode(encoded), text) << "text #" << i;
            if (force == Force::No) {
                EXPECT_LE(encoded.size(), text.size() + 4);
                if (encoded.size() > text.size()) {
                    EXPECT_EQ(encoded.substr(0, 4), "HE0\r");
                }
            }
        }
    }
}

// The code table's bit counts, in table order.
std::vector<int> codeLengths(const std::string& encoded) {
    std::size_t cr = encoded.find('\r', 4);
    const std::size_t tableLength = std::stoul(encoded.substr(4, cr - 4));
    const std::string table = encoded.substr(cr + 1, tableLength);
    std::vector<int> lengths;
    for (std::size_t at = 0; at < table.size(); at += 2 + (static_cast<unsigned char>(table[at + 1]) + 7) / 8)
        lengths.push_back(static_cast<unsigned char>(table[at + 1]));
    return lengths;
}

TEST(HuffmanCoding, DeepTreesRoundTrip) {
    // Fibonacci counts give the deepest tree for their total: n symbols, codes of up to n - 1
    // bits, longer than the decoder's lookup. In count order the long codes come in a row,
    // which fills the encoder's bit accumulator to the brim.
    for (int symbols : {13, 16, 17, 21, 22, 26}) {
        std::string text;
        std::uint32_t a = 1, b = 1;
        for (int symbol = 0; symbol < symbols; ++symbol) {
            text.append(a, static_cast<char>('A' + symbol));
            b = std::exchange(a, a + b);
        }
        for (int shuffled = 0; shuffled < 2; ++shuffled) {
            if (shuffled) std::shuffle(text.begin(), text.end(), std::mt19937(symbols));
            const std::string encoded = HuffmanEncode(text, Force::No);
            const std::vector<int> lengths = codeLengths(encoded);
            EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), symbols - 1);
            EXPECT_EQ(encoded, he2_reference::encode(text, false)) << symbols;
            EXPECT_EQ(HuffmanDecode(encoded), text) << symbols;
        }
    }
}

TEST(HuffmanCoding, PacksCodesOfAnyLength) {
    // Codes this long need inputs far beyond 2^31 bytes; the packer's general path still
    // has to place them like any other.
    namespace he2 = velpack::he2;
    he2::CodeBook book{};
    std::mt19937_64 random(255);
    const int lengths[] = {255, 1, 57, 64, 200, 33};
    for (int i = 0; i < 6; ++i) {
        he2::Code& code = book['a' + i];
        code.length = static_cast<std::uint16_t>(lengths[i]);
        for (int bit = 0; bit < lengths[i]; ++bit)
            if (random() & 1) code.bits[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    const std::string text = "abcdeffedcbaacefbd";
    std::vector<unsigned char> expected;
    int used = 8;
    for (char c : text) {
        const he2::Code& code = book[static_cast<unsigned char>(c)];
        for (int bit = 0; bit < code.length; ++bit) {
            if (used == 8) expected.push_back(0), used = 0;
            if ((code.bits[bit / 64] >> (bit % 64)) & 1) expected.back() |= static_cast<unsigned char>(1u << used);
            ++used;
        }
    }
    std::vector<unsigned char> out(expected.size() + 8, 0xAA);
    he2::packText(text, book, out.data());
    out.resize(expected.size());
    EXPECT_EQ(out, expected);
}

// Valid encodings of assorted texts and tables that no encoder would write (prefix clashes,
// missing branches, long codes, zero-bit codes), then mutated: every decode must end exactly
// as the bit-by-bit reference decoder ends.
TEST(HuffmanCoding, FastDecoderAgreesWithTheReferenceOnMutatedInput) {
    Texts texts(44);
    std::mt19937& random = texts.random();
    auto below = [&](std::size_t n) { return n == 0 ? std::size_t{0} : random() % n; };

    auto craftedTable = [&] {
        std::string table;
        const std::size_t entries = 1 + below(12);
        for (std::size_t e = 0; e < entries; ++e) {
            const unsigned n = below(10) == 0 ? static_cast<unsigned>(below(256)) : static_cast<unsigned>(below(14));
            table += static_cast<char>('a' + below(6));
            table += static_cast<char>(n);
            for (unsigned k = 0; k < (n + 7) / 8; ++k) table += static_cast<char>(random() & 0xFF);
        }
        std::string data(below(600), '\0');
        for (char& c : data) c = static_cast<char>(random() & 0xFF);
        return "HE2\r" + std::to_string(table.size()) + "\r" + table + static_cast<char>(random() & 0xFF) +
               std::to_string(below(data.size() * 3 + 2)) + "\r" + data;
    };

    auto mutate = [&](std::string s) {
        const int mutations = 1 + static_cast<int>(below(3));
        for (int m = 0; m < mutations && !s.empty(); ++m) {
            const std::size_t at = below(s.size());
            switch (below(8)) {
                case 0:
                    s[at] = static_cast<char>(s[at] ^ (1 << below(8)));
                    break;
                case 1:
                    s[at] = static_cast<char>(random() & 0xFF);
                    break;
                case 2:
                    s.insert(at, 1, static_cast<char>(random() & 0xFF));
                    break;
                case 3:
                    s.erase(at, 1 + below(3));
                    break;
                case 4:
                    s.resize(at);
                    break;
                case 5:
                    s += static_cast<char>(random() & 0xFF);
                    break;
                case 6: {  // a digit of a length
                    const std::size_t digit = s.find_first_of("0123456789", below(std::min<std::size_t>(s.size(), 12)));
                    if (digit != std::string::npos) s[digit] = static_cast<char>('0' + below(10));
                    break;
                }
                default: {  // an early byte, where the header and table are
                    const std::size_t early = below(std::min<std::size_t>(s.size(), 40));
                    s[early] = static_cast<char>(random() & 0xFF);
                    break;
                }
            }
        }
        return s;
    };

    // How often each ending came up: decoded, E1..E6, error 5, anything else.
    const Outcome endings[] = {E1, E2, E3, E4, E5, E6, invalidArgument()};
    std::vector<int> seen(9, 0);
    auto kindOf = [&](const Outcome& o) {
        if (o.decoded) return 0;
        for (int k = 0; k < 7; ++k)
            if (o == endings[k]) return k + 1;
        return 8;
    };
    for (int i = 0; i < 4000; ++i) {
        std::string base;
        if (i % 3 == 0) {
            base = craftedTable();
        } else {
            const std::size_t size = i % 50 == 0 ? 4096 + below(20000) : below(300);
            base = HuffmanEncode(texts.make(size, i), Force::Yes);
        }
        for (int variant = 0; variant < 4; ++variant) {
            const std::string input = variant == 0 ? base : mutate(base);
            const Outcome expected = he2_reference::decode(input);
            ASSERT_EQ(fastDecode(input), expected) << "base #" << i << " variant " << variant;
            ++seen[kindOf(expected)];
        }
    }
    // The run met every way a decode can end, and nothing else.
    for (int kind = 0; kind <= 7; ++kind) EXPECT_GT(seen[kind], 0) << "outcome kind " << kind;
    EXPECT_EQ(seen[8], 0);
}

TEST(HuffmanCoding, LongInputsRoundTripThroughTheLookup) {
    Texts texts(8);
    for (int distribution = 0; distribution < 7; ++distribution) {
        const std::string text = texts.make(300000 + distribution, distribution);
        const std::string forced = HuffmanEncode(text, Force::Yes);
        EXPECT_EQ(HuffmanDecode(forced), text) << distribution;
        EXPECT_EQ(HuffmanDecode(HuffmanEncode(text, Force::No)), text) << distribution;
    }
}

// The lookup decodes up to three short codes per entry, so a text may end, or its stated
// length be reached, in the middle of an entry. Each text's encoding, also with its stated
// length changed to near and past the true one, must end as the reference decoder ends.
TEST(HuffmanCoding, MultiCodeLookupEndsAsTheReference) {
    std::string skewed(500, 'a');
    for (std::size_t i = 0; i < skewed.size(); i += 7) skewed[i] = static_cast<char>('b' + i % 3);
    std::string allBytes;
    for (int i = 0; i < 512; ++i) allBytes += static_cast<char>(i * 37 % 256);
    std::string prose;
    while (prose.size() < 700) prose += "Die Datei wird installiert, the update of 1048576 bytes. ";
    const std::string texts[] = {skewed, allBytes, prose, std::string(300, 'x') + "y"};

    for (const std::string& full : texts) {
        for (std::size_t size : {std::size_t{17}, std::size_t{40}, std::size_t{129}, std::size_t{255}, full.size()}) {
            const std::string text = full.substr(0, size);
            const std::string encoded = HuffmanEncode(text, Force::Yes);
            ASSERT_EQ(fastDecode(encoded), decoded(text)) << size;
            // The stated length sits after the table and the check byte, before a carriage return.
            const std::size_t tableEnd = encoded.find('\r', 4) + 1 + std::stoul(encoded.substr(4)) + 1;
            const std::size_t lengthEnd = encoded.find('\r', tableEnd);
            for (std::size_t stated = size > 14 ? size - 14 : 0; stated <= size + 3; ++stated) {
                const std::string changed =
                    encoded.substr(0, tableEnd) + std::to_string(stated) + encoded.substr(lengthEnd);
                EXPECT_EQ(fastDecode(changed), he2_reference::decode(changed)) << size << " stated " << stated;
            }
        }
    }
}

TEST(CompressionAlgorithm, MembersCodeEachCharacterAsItsWindows1252Code) {
    auto algorithm = compressionAlgorithm();
    ASSERT_TRUE(algorithm);
    // "é" is one symbol, 0xE9, and the source length counts characters: 40, not 80 bytes. The
    // coded text is made of the characters of the codes: 0xE9 is "é" again, 0xFF "ÿ".
    std::string e40;
    for (int i = 0; i < 40; ++i) e40 += "\xC3\xA9";
    const std::string y5 = "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF";
    const std::string coded = "HE2\r3\r\xC3\xA9\x01\x01" + std::string(1, '\0') + "40\r" + y5;
    EXPECT_EQ(algorithm->QuickCompress(e40, velpack::oviacHuffman), coded);
    EXPECT_EQ(algorithm->QuickDecompress(coded, velpack::oviacHuffman), e40);

    // Every character with a code comes back, the five unassigned codes (C1 controls) included.
    std::string all;
    for (int code = 0; code < 256; ++code) all += platform::windows1252ToUtf8(std::string(1, static_cast<char>(code)));
    all += "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xE2\x80\x9E";  // "Grüße € „"
    EXPECT_EQ(algorithm->QuickDecompress(algorithm->QuickCompress(all, velpack::oviacHuffman), velpack::oviacHuffman),
              all);

    // A character without a code is out of range for both members; other algorithms take any text.
    for (const std::string text : {"\xE6\x97\xA5\xE6\x9C\xAC", "ok \xE2\x84\xA2\xE2\x80\x89", "\xC3"}) {
        for (bool compress : {true, false}) {
            try {
                compress ? algorithm->QuickCompress(text, velpack::oviacHuffman)
                         : algorithm->QuickDecompress(text, velpack::oviacHuffman);
                ADD_FAILURE() << "no error for " << text;
            } catch (const platform::com::Error& e) {
                EXPECT_EQ(e.number(), platform::com::errc::Overflow) << text;
            }
        }
        EXPECT_EQ(algorithm->QuickCompress(text, static_cast<velpack::OVImplAlgoConstants>(0)), text);
    }
}

}  // namespace
