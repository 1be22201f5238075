// SPDX-License-Identifier: Apache-2.0
// Conversions of text and numbers the way the host language does them: the leading-number
// reading of text, rounding to the nearest integer with halves to even, and narrowing that
// raises "Overflow" (error 6) when the value does not fit.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform::com {

// The leading decimal number of a text: blanks, tabs and line feeds are skipped anywhere,
// an optional sign, digits, an optional fraction and exponent (E or D); reading stops at
// the first character that cannot continue the number. Text without a number gives 0.
double leadingNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour, and narrows to 16 bits
// (Integer) or 32 bits (Long). Throws the Overflow error (6) when out of range.
std::int16_t toInteger(double value);
std::int32_t toLong(double value);

// leadingNumber followed by toInteger / toLong.
std::int16_t textToInteger(std::string_view text);
std::int32_t textToLong(std::string_view text);

// True = -1 and False = 0, the 16-bit truth values that cross component interfaces.
using Boolean = std::int16_t;
inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;
constexpr Boolean toBoolean(bool b) {
    return b ? True : False;
}

}  // namespace platform::com
