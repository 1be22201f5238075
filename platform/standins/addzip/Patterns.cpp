#include "platform/standins/addzip/Patterns.h"

#include "platform/support/TextCase.h"
#include "platform/support/Utf8.h"

namespace addzip {

namespace {
// Folded code points, separators made "/"; bytes that are not UTF-8 stand for themselves.
std::u32string normalise(std::string_view text) {
    std::string folded = platform::foldCase(text);
    std::u32string out;
    out.reserve(folded.size());
    for (std::size_t i = 0; i < folded.size();) {
        char32_t c = 0;
        std::size_t n = platform::decodeUtf8At(folded, i, c);
        if (n == 0) {
            c = static_cast<unsigned char>(folded[i]);
            n = 1;
        }
        out.push_back(c == U'\\' ? U'/' : c);
        i += n;
    }
    return out;
}

// Iterative matching with one backtrack point: linear in practice, never exponential.
bool match(std::u32string_view p, std::u32string_view s) {
    std::size_t pi = 0, si = 0, starP = std::u32string_view::npos, starS = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == U'?' || p[pi] == s[si])) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == U'*') {
            starP = pi++;
            starS = si;
        } else if (starP != std::u32string_view::npos) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'*') ++pi;
    return pi == p.size();
}

std::u32string_view lastComponent(std::u32string_view path) {
    std::size_t slash = path.rfind(U'/');
    return slash == std::u32string_view::npos ? path : path.substr(slash + 1);
}
}  // namespace

std::vector<std::string> splitSpecs(std::string_view specs) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= specs.size()) {
        std::size_t bar = specs.find('|', start);
        if (bar == std::string_view::npos) bar = specs.size();
        std::string_view item = platform::trimBlanks(specs.substr(start, bar - start));
        if (!item.empty()) out.emplace_back(item);
        start = bar + 1;
    }
    return out;
}

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    return match(normalise(pattern), normalise(name));
}

PatternList::PatternList(std::string_view specs) {
    for (const std::string& item : splitSpecs(specs)) {
        std::u32string text = normalise(item);
        while (!text.empty() && text.front() == U'/') text.erase(0, 1);
        // "*.*" means every file on Windows, names without a dot included.
        if (text.size() >= 3 && text.ends_with(U"*.*")) text.resize(text.size() - 2);
        bool whole = text.find(U'/') != std::u32string::npos;
        patterns_.push_back({std::move(text), whole});
    }
}

bool PatternList::matches(std::string_view path) const {
    if (patterns_.empty()) return false;
    std::u32string name = normalise(path);
    while (!name.empty() && name.front() == U'/') name.erase(0, 1);
    for (const Pattern& p : patterns_) {
        if (match(p.text, p.wholePath ? std::u32string_view(name) : lastComponent(name))) return true;
    }
    return false;
}

bool isSelected(const PatternList& include, const PatternList& exclude, std::string_view path) {
    return (include.empty() || include.matches(path)) && !exclude.matches(path);
}

}  // namespace addzip
