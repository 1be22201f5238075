// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorsla/TextOperations.h"

#include "platform/support/TextEncoding.h"
#include "platform/support/Utf8.h"

namespace gorsl {

namespace {
// Byte offsets at which the characters of the text start, and the text's length at the end.
std::vector<std::size_t> characterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    std::size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        char32_t codePoint = 0;
        std::size_t length = platform::decodeUtf8At(text, i, codePoint);
        i += length == 0 ? 1 : length;
    }
    starts.push_back(text.size());
    return starts;
}
}  // namespace

std::string firstWord(std::string_view text) {
    std::size_t blank = text.find(' ');
    return std::string(blank == std::string_view::npos ? text : text.substr(0, blank));
}

std::string restAfterFirstWord(std::string_view text) {
    std::size_t blank = text.find(' ');
    return blank == std::string_view::npos ? std::string() : std::string(text.substr(blank + 1));
}

std::string dropLeadingCharacters(std::string_view text, std::size_t count) {
    auto starts = characterStarts(text);
    std::size_t characters = starts.size() - 1;
    if (count >= characters) return {};
    return std::string(text.substr(starts[count]));
}

std::string dropTrailingCharacters(std::string_view text, std::size_t count) {
    auto starts = characterStarts(text);
    std::size_t characters = starts.size() - 1;
    if (count >= characters) return {};
    return std::string(text.substr(0, starts[characters - count]));
}

std::vector<std::string> splitText(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t start = 0;
    while (true) {
        std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

std::string fixedTextToString(std::string_view field) {
    std::size_t end = field.find('\0');
    std::string_view text = end == std::string_view::npos ? field : field.substr(0, end);
    return platform::isValidUtf8(text) ? std::string(text) : platform::windows1252ToUtf8(text);
}

}  // namespace gorsl
