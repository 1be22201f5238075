// SPDX-License-Identifier: Apache-2.0
// Code-point level UTF-8 reading and writing, shared by the text helpers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Decodes the code point that starts at text[i]; returns its length in bytes, or 0 when the
// bytes there are not valid UTF-8 (overlong forms and surrogates included).
std::size_t decodeUtf8At(std::string_view text, std::size_t i, char32_t& codePoint);
void appendUtf8(char32_t codePoint, std::string& out);

}  // namespace platform
