// SPDX-License-Identifier: Apache-2.0
// The HE2 string codec: a static Huffman code with its table in a text header ("HE2"), or the
// text stored unchanged ("HE0"). Strings are byte strings: each char is one 8-bit code.
// Part of the component's he2 room; depends on platform/com (errors) only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velpack {

// Force::Yes keeps the "HE2" form even when it is longer than the text.
enum class Force : bool { No, Yes };

// Returns the encoded text: "HE0" and a carriage return for the empty text; the "HE2" form;
// or, unless forced, "HE0", a carriage return and the text itself when the "HE2" form would
// be longer than the text. Raises "Overflow" (error 6) for a text longer than 2^31 - 1 bytes,
// the most its 32-bit counts and length field can describe; nothing else fails. Every code
// fits the table's one-byte bit count: a tree of at most 256 leaves is at most 255 deep.
std::string HuffmanEncode(std::string_view text, Force force);

// The errors of HuffmanDecode; all carry the number 0x80040000 and the source "HuffmanDecode()".
enum class HuffmanError {
    NotCompressed = 1,     // E1: no "HE2" signature, or no carriage return after the table length
    HeaderCorrupt = 2,     // E2: table or source length missing or not a number
    DataTooShort = 3,      // E3: the data ends before the source length is reached
    TableCorrupt = 4,      // E4: a bit leads to a branch the table does not have
    DataTooLong = 5,       // E5: data left over after the source length is reached
    ChecksumMismatch = 6,  // E6: output length or check byte wrong
};

// Returns the decoded text of an "HE2" or "HE0" string. On failure throws platform::com::Error
// (one of the HuffmanError errors, or "Invalid procedure call or argument" (5) from source
// "Velpack" when the header ends inside a table entry or before the check byte) and returns
// no partial output.
//
// The two lengths in the header are decimal digits, with optional blanks (spaces, tabs)
// around them and an optional sign; anything else (fractions, exponents, hex, values beyond
// 32 bits) and negative values are "The header is corrupt".
std::string HuffmanDecode(std::string_view encoded);

}  // namespace velpack
