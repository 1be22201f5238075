// SPDX-License-Identifier: Apache-2.0
#include "platform/com/Conversion.h"

#include <charconv>
#include <cmath>
#include <string>

#include "platform/com/Error.h"

namespace platform::com {

namespace {
bool isSkippedBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

double leadingNumber(std::string_view text) {
    // Collect the characters that form the number, skipping blanks wherever they stand.
    std::string number;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && isSkippedBlank(text[i])) ++i;
    };
    skip();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool digits = false;
    for (skip(); i < text.size() && isDigit(text[i]); skip()) {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        for (skip(); i < text.size() && isDigit(text[i]); skip()) {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t save = i;
        std::string exponent = "e";
        ++i;
        skip();
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) exponent += text[i++];
        bool expDigits = false;
        for (skip(); i < text.size() && isDigit(text[i]); skip()) {
            exponent += text[i++];
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
        else
            i = save;
    }
    // from_chars, unlike strtod, does not follow the locale's decimal separator.
    double value = 0.0;
    const char* first = number.data();
    if (*first == '+') ++first;
    auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) return number.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    (void)end;
    return value;
}

namespace {
double roundHalfEven(double value) {
    if (!std::isfinite(value)) throw Error::overflow();
    return std::nearbyint(value);  // the default floating-point rounding mode rounds halves to even
}
}  // namespace

std::int16_t toInteger(double value) {
    double r = roundHalfEven(value);
    if (r < -32768.0 || r > 32767.0) throw Error::overflow();
    return static_cast<std::int16_t>(r);
}

std::int32_t toLong(double value) {
    double r = roundHalfEven(value);
    if (r < -2147483648.0 || r > 2147483647.0) throw Error::overflow();
    return static_cast<std::int32_t>(r);
}

std::int16_t textToInteger(std::string_view text) {
    return toInteger(leadingNumber(text));
}
std::int32_t textToLong(std::string_view text) {
    return toLong(leadingNumber(text));
}

}  // namespace platform::com
