// Any pattern against any name (the input's first line and the rest): the wildcard match
// agrees with a plain dynamic-programming matcher, every pattern matches its own text, and
// specification lists made of it do not fail.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/standins/addzip/Patterns.h"
#include "platform/support/TextCase.h"
#include "platform/support/Utf8.h"
#include "platform/support/Wildcard.h"

namespace {

// Folded code points; bytes that are not UTF-8 stand for themselves.
std::u32string normalised(std::string_view text) {
    std::string folded = platform::foldCase(text);
    std::u32string out;
    for (std::size_t i = 0; i < folded.size();) {
        char32_t c = 0;
        std::size_t n = platform::decodeUtf8At(folded, i, c);
        if (n == 0) {
            c = static_cast<unsigned char>(folded[i]);
            n = 1;
        }
        out.push_back(c);
        i += n;
    }
    return out;
}

// matches[i][j]: the first i pattern characters match the first j name characters.
bool referenceMatch(const std::u32string& p, const std::u32string& s) {
    std::vector<std::vector<bool>> matches(p.size() + 1, std::vector<bool>(s.size() + 1, false));
    matches[0][0] = true;
    for (std::size_t i = 1; i <= p.size(); ++i) {
        for (std::size_t j = 0; j <= s.size(); ++j) {
            if (p[i - 1] == U'*')
                matches[i][j] = matches[i - 1][j] || (j > 0 && matches[i][j - 1]);
            else
                matches[i][j] = j > 0 && matches[i - 1][j - 1] && (p[i - 1] == U'?' || p[i - 1] == s[j - 1]);
        }
    }
    return matches[p.size()][s.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t newline = input.find('\n');
    std::string_view pattern = input.substr(0, newline);
    std::string_view name = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    const bool matched = platform::matchesWildcard(pattern, name);
    if (pattern.size() <= 256 && name.size() <= 256 && matched != referenceMatch(normalised(pattern), normalised(name)))
        std::abort();
    if (!platform::matchesWildcard(pattern, pattern) || !platform::matchesWildcard("*", name)) std::abort();

    addzip::PatternList list(pattern);
    (void)addzip::isSelected(list, addzip::PatternList(name), name);
    return 0;
}
