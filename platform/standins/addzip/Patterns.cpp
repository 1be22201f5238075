// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/Patterns.h"

#include "platform/support/TextCase.h"
#include "platform/support/Wildcard.h"

namespace addzip {

namespace {
// Both separators as "/", without leading ones: names compare however they were written.
std::string normalise(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    out.erase(0, out.find_first_not_of('/'));
    return out;
}

std::string_view lastComponent(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
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

PatternList::PatternList(std::string_view specs) {
    for (const std::string& item : splitSpecs(specs)) {
        std::string text = normalise(item);
        // "*.*" means every file on Windows, names without a dot included.
        if (text.size() >= 3 && text.ends_with("*.*")) text.resize(text.size() - 2);
        bool whole = text.find('/') != std::string::npos;
        patterns_.push_back({std::move(text), whole});
    }
}

bool PatternList::matches(std::string_view path) const {
    if (patterns_.empty()) return false;
    std::string name = normalise(path);
    for (const Pattern& p : patterns_) {
        if (platform::matchesWildcard(p.text, p.wholePath ? std::string_view(name) : lastComponent(name))) return true;
    }
    return false;
}

bool isSelected(const PatternList& include, const PatternList& exclude, std::string_view path) {
    return (include.empty() || include.matches(path)) && !exclude.matches(path);
}

}  // namespace addzip
