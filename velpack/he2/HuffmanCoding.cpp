// SPDX-License-Identifier: Apache-2.0
#include "velpack/he2/HuffmanCoding.h"

#include <cassert>
#include <charconv>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/com/Error.h"
#include "platform/support/LargeString.h"
#include "velpack/he2/CodeBook.h"
#include "velpack/he2/DecodingTree.h"

namespace velpack {

namespace {
using platform::com::Error;

constexpr std::string_view kStored = "HE0\r";
constexpr std::string_view kCoded = "HE2\r";
constexpr char kCarriageReturn = '\r';
// Where the host raises its own errors (reading past the end, overflow) from.
constexpr const char* kComponent = "Velpack";

[[noreturn]] void raiseDecodeError(HuffmanError error) {
    static constexpr const char* kDescriptions[] = {
        "The data either was not compressed with HE2 or is corrupt",
        "The header is corrupt",
        "Expecting more bytes in data stream",
        "The header (lookup table) is corrupt",
        "Found extra bytes at end of data stream",
        "Data corrupt because check sums do not match",
    };
    throw Error(platform::com::errc::ObjectDefined, "HuffmanDecode()", kDescriptions[static_cast<int>(error) - 1]);
}

unsigned char xorOfBytes(std::string_view text) {
    std::uint64_t wide = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        wide ^= word;
    }
    unsigned char x = 0;
    for (int k = 0; k < 8; ++k) x ^= static_cast<unsigned char>(wide >> (8 * k));
    for (; i < text.size(); ++i) x ^= static_cast<unsigned char>(text[i]);
    return x;
}

std::string stored(std::string_view text) {
    std::string out;
    out.reserve(kStored.size() + text.size());
    out += kStored;
    out += text;
    return out;
}

// A length of the header: digits with optional blanks around them and an optional sign.
// Negative values and values beyond 32 bits are refused, like anything else.
std::optional<std::uint32_t> headerNumber(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) return std::nullopt;
    if (negative && value != 0) return std::nullopt;
    return value;
}

}  // namespace

std::string HuffmanEncode(std::string_view text, Force force) {
    if (text.empty()) return std::string(kStored);
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw Error::overflow(kComponent);

    const he2::ByteCounts counts = he2::countBytes(text);
    const he2::CodeBook book = he2::buildCodeBook(counts, text.size());
    std::size_t tableLength = 0;
    for (std::size_t b = 0; b < 256; ++b)
        if (counts[b] > 0) tableLength += 2 + (book[b].length + 7) / 8;
    const std::string tableLengthText = std::to_string(tableLength);
    const std::string sourceLengthText = std::to_string(text.size());
    const std::size_t dataLength = static_cast<std::size_t>((he2::packedBits(counts, book) + 7) / 8);
    const std::size_t headerLength =
        kCoded.size() + tableLengthText.size() + 1 + tableLength + 1 + sourceLengthText.size() + 1;
    const std::size_t total = headerLength + dataLength;
    if (total > text.size() && force == Force::No) return stored(text);

    std::string out;
    platform::resizeForFilling(out, total + 8);  // the packer's slack; cut off below, so the capacity stays
    char* p = out.data();
    auto put = [&p](std::string_view s) {
        std::memcpy(p, s.data(), s.size());
        p += s.size();
    };
    put(kCoded);
    put(tableLengthText);
    *p++ = kCarriageReturn;
    for (std::size_t b = 0; b < 256; ++b) {
        if (counts[b] == 0) continue;
        const he2::Code& code = book[b];
        assert(code.length >= 1 && code.length <= he2::kMaxCodeLength);  // fits its one-byte count
        *p++ = static_cast<char>(b);
        *p++ = static_cast<char>(code.length);
        for (std::size_t i = 0; i < (code.length + 7u) / 8; ++i)
            *p++ = static_cast<char>(code.bits[i / 8] >> (8 * (i % 8)));
    }
    *p++ = static_cast<char>(xorOfBytes(text));
    put(sourceLengthText);
    *p++ = kCarriageReturn;
    he2::packText(text, book, reinterpret_cast<unsigned char*>(p));
    out.resize(total);
    return out;
}

std::string HuffmanDecode(std::string_view encoded) {
    const std::string_view signature = encoded.substr(0, 4);
    if (signature == kStored) return std::string(encoded.substr(4));
    if (signature != kCoded) raiseDecodeError(HuffmanError::NotCompressed);
    std::string_view rest = encoded.substr(4);

    std::size_t cr = rest.find(kCarriageReturn);
    if (cr == std::string_view::npos) raiseDecodeError(HuffmanError::NotCompressed);
    const std::optional<std::uint32_t> tableLength = headerNumber(rest.substr(0, cr));
    if (!tableLength) raiseDecodeError(HuffmanError::HeaderCorrupt);
    rest.remove_prefix(cr + 1);
    const std::string_view table = rest.substr(0, *tableLength);
    rest.remove_prefix(table.size());

    auto tree = he2::DecodingTree::fromTable(table);
    if (!tree) throw Error::invalidArgument(kComponent);
    if (rest.empty()) throw Error::invalidArgument(kComponent);  // no check byte
    const auto check = static_cast<unsigned char>(rest.front());
    rest.remove_prefix(1);

    cr = rest.find(kCarriageReturn);
    if (cr == std::string_view::npos) raiseDecodeError(HuffmanError::HeaderCorrupt);
    const std::optional<std::uint32_t> sourceLength = headerNumber(rest.substr(0, cr));
    if (!sourceLength) raiseDecodeError(HuffmanError::HeaderCorrupt);
    rest.remove_prefix(cr + 1);

    std::string out;
    switch (tree->decode(rest, *sourceLength, out)) {
        case he2::DecodingTree::Outcome::Decoded:
            break;
        case he2::DecodingTree::Outcome::DataEnded:
            raiseDecodeError(HuffmanError::DataTooShort);
        case he2::DecodingTree::Outcome::MissingBranch:
            raiseDecodeError(HuffmanError::TableCorrupt);
        case he2::DecodingTree::Outcome::DataLeftOver:
            raiseDecodeError(HuffmanError::DataTooLong);
    }
    if (out.size() != *sourceLength || xorOfBytes(out) != check) raiseDecodeError(HuffmanError::ChecksumMismatch);
    return out;
}

}  // namespace velpack
