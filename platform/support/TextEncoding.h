// SPDX-License-Identifier: Apache-2.0
// Text encodings at the edges of the system. Everything in memory is UTF-8; files from
// update servers or products may be UTF-8 or Windows-1252, .reg files also UTF-16LE.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

bool isValidUtf8(std::string_view bytes);

// Bytes from outside as UTF-8: kept when they are valid UTF-8, else read as Windows-1252.
// A leading UTF-8 byte order mark is dropped.
std::string decodeExternalText(std::string_view bytes);

std::string windows1252ToUtf8(std::string_view bytes);
// DOS code page 850, the OEM code page of western European systems (archive member names).
std::string oem850ToUtf8(std::string_view bytes);
// Each character as its Windows-1252 code, the five unassigned codes standing for the C1
// controls of the same number (as windows1252ToUtf8 gives them), so that the two are inverse
// over all 256 codes; nothing when a character has no code or the text is not UTF-8.
std::optional<std::string> utf8ToWindows1252Exact(std::string_view text);

// UTF-16LE without byte order mark. Unpaired surrogates become U+FFFD.
std::string utf16leToUtf8(std::string_view bytes);
std::string utf8ToUtf16le(std::string_view text);

}  // namespace platform
