// SPDX-License-Identifier: Apache-2.0
// Arbitrary bytes as a wildcard pattern and a name (split at the first NUL byte). The one
// backtracking match must agree with a plain table over all prefixes of both; addzip's file
// lists take the same bytes as a specification list.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/standins/addzip/Patterns.h"
#include "platform/support/Wildcard.h"

namespace {
// matches[i][j]: the first i pattern characters match the first j name characters.
bool tableMatch(const std::u32string& p, const std::u32string& s) {
    std::vector<std::vector<bool>> m(p.size() + 1, std::vector<bool>(s.size() + 1, false));
    m[0][0] = true;
    for (std::size_t i = 1; i <= p.size(); ++i) {
        for (std::size_t j = 0; j <= s.size(); ++j) {
            if (p[i - 1] == U'*')
                m[i][j] = m[i - 1][j] || (j > 0 && m[i][j - 1]);
            else
                m[i][j] = j > 0 && m[i - 1][j - 1] && (p[i - 1] == U'?' || p[i - 1] == s[j - 1]);
        }
    }
    return m[p.size()][s.size()];
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 512) return 0;  // the table is quadratic
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t nul = input.find('\0');
    std::string_view pattern = input.substr(0, nul);
    std::string_view name = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    if (platform::matchesWildcard(pattern, name) !=
        tableMatch(platform::foldedCodePoints(pattern), platform::foldedCodePoints(name)))
        std::abort();
    addzip::PatternList list(pattern);
    addzip::isSelected(list, addzip::PatternList(name), name);
    return 0;
}
