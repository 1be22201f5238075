// SPDX-License-Identifier: Apache-2.0
// Case-insensitive comparison of UTF-8 names the way the Windows-style system compares them:
// both sides upper-cased code point by code point. Used by the registry store for key and
// value names and by the prefix for path components.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The upper-case fold of a UTF-8 text; bytes that are not valid UTF-8 are kept as they are.
std::string foldCase(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// The lower-case form of a UTF-8 text, code point by code point, as the host's LCase gives it;
// bytes that are not valid UTF-8 are kept as they are.
std::string lowerCase(std::string_view text);

// ASCII-only helpers for keywords and switches.
std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// Leading and trailing spaces removed (only the space character, as the host's Trim does).
std::string_view trimBlanks(std::string_view text);

}  // namespace platform
