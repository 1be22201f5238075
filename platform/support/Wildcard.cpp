// SPDX-License-Identifier: Apache-2.0
#include "platform/support/Wildcard.h"

#include <string>

#include "platform/support/TextCase.h"
#include "platform/support/Utf8.h"

namespace platform {

std::u32string foldedCodePoints(std::string_view text) {
    const std::string folded = foldCase(text);
    std::u32string out;
    out.reserve(folded.size());
    for (std::size_t i = 0; i < folded.size();) {
        char32_t c = 0;
        std::size_t n = decodeUtf8At(folded, i, c);
        if (n == 0) {
            c = static_cast<unsigned char>(folded[i]);
            n = 1;
        }
        out.push_back(c);
        i += n;
    }
    return out;
}

bool matchesWildcard(std::string_view patternText, std::string_view nameText) {
    const std::u32string p = foldedCodePoints(patternText);
    const std::u32string s = foldedCodePoints(nameText);
    std::size_t pi = 0, si = 0, starP = std::u32string::npos, starS = 0;
    while (si < s.size()) {
        // A star is always a wildcard, even against a "*" in the name (a Linux name may hold one).
        if (pi < p.size() && p[pi] == U'*') {
            starP = pi++;
            starS = si;
        } else if (pi < p.size() && (p[pi] == U'?' || p[pi] == s[si])) {
            ++pi;
            ++si;
        } else if (starP != std::u32string::npos) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'*') ++pi;
    return pi == p.size();
}

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

}  // namespace platform
