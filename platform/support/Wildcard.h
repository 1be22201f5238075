// SPDX-License-Identifier: Apache-2.0
// File-name wildcards as the Windows-style system reads them: * for any run of characters,
// ? for exactly one, letters compared the way the prefix compares names (case folded).
// Part of platform/support; depends on the standard library only.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when the name matches the pattern as a whole. Characters are code points; bytes that
// are not UTF-8 stand for themselves. One backtrack point, so never exponential.
bool matchesWildcard(std::string_view pattern, std::string_view name);
bool hasWildcard(std::string_view text);
// The characters matchesWildcard compares: the case-folded text as code points, a byte that
// is not UTF-8 standing for itself.
std::u32string foldedCodePoints(std::string_view text);

}  // namespace platform
