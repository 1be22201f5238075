// SPDX-License-Identifier: Apache-2.0
// Gorsla's text operations: words split at the first space, characters dropped from either
// end, texts split at a separator, fixed-length character fields read as text.
// Part of platform/gorsl; depends on platform/support.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gorsl {

// The text before the first space character, all of it when there is none.
std::string firstWord(std::string_view text);
// The text after the first space character, untrimmed; empty when there is none.
std::string restAfterFirstWord(std::string_view text);
// The text without its first / last `count` characters (UTF-8 code points; a byte that is
// not valid UTF-8 counts as one character). Empty when count reaches the length.
std::string dropLeadingCharacters(std::string_view text, std::size_t count);
std::string dropTrailingCharacters(std::string_view text, std::size_t count);
// The pieces between the separators, in order; an empty text gives no piece, an empty
// separator the whole text as one piece.
std::vector<std::string> splitText(std::string_view text, std::string_view separator);
// The field up to its first NUL, as UTF-8 (read as Windows-1252 when it is not UTF-8).
std::string fixedTextToString(std::string_view field);

}  // namespace gorsl
