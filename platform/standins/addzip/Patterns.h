// SPDX-License-Identifier: Apache-2.0
// File specification lists with the wildcards * and ?, matched by the project's one wildcard
// match (platform/support/Wildcard.h: case folded, ? one character). Part of
// platform/standins/addzip; depends on platform/support.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace addzip {

// Splits a specification text at "|", dropping blanks around each item and empty items.
std::vector<std::string> splitSpecs(std::string_view specs);

// A list of patterns that select archive entries or found files. A pattern without a separator
// is matched against the last component of the path, one with a separator against the whole
// path; "\\" and "/" are the same separator, and * runs across separators.
class PatternList {
public:
    PatternList() = default;
    explicit PatternList(std::string_view specs);

    bool empty() const { return patterns_.empty(); }
    bool matches(std::string_view path) const;

private:
    struct Pattern {
        std::string text;
        bool wholePath;
    };
    std::vector<Pattern> patterns_;
};

// An entry or file is selected when the include list is empty or matches it, and the exclude
// list does not.
bool isSelected(const PatternList& include, const PatternList& exclude, std::string_view path);

}  // namespace addzip
