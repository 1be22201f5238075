// SPDX-License-Identifier: Apache-2.0
#include "platform/support/TextCase.h"

#include <locale.h>
#include <clocale>
#include <cwctype>

#include "platform/support/Utf8.h"

namespace platform {

namespace {
// A UTF-8 locale for towupper_l, independent of the process locale.
locale_t utf8Locale() {
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        return l ? l : newlocale(LC_CTYPE_MASK, "C", nullptr);
    }();
    return loc;
}

// Each code point through `map`; ASCII by hand, bytes that are not UTF-8 kept as they are.
template <class Map>
std::string mapCodePoints(std::string_view text, char (*mapAscii)(char), Map map) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += mapAscii(static_cast<char>(c));
            ++i;
            continue;
        }
        char32_t cp = 0;
        std::size_t len = decodeUtf8At(text, i, cp);
        if (len == 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        appendUtf8(static_cast<char32_t>(map(static_cast<wint_t>(cp), utf8Locale())), out);
        i += len;
    }
    return out;
}

char asciiUpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char asciiLowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

}  // namespace

std::string foldCase(std::string_view text) {
    return mapCodePoints(text, asciiUpperChar, towupper_l);
}

std::string lowerCase(std::string_view text) {
    return mapCodePoints(text, asciiLowerChar, towlower_l);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return foldCase(a) == foldCase(b);
}

std::string asciiLower(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

std::string asciiUpper(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

std::string_view trimBlanks(std::string_view text) {
    std::size_t b = text.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    std::size_t e = text.find_last_not_of(' ');
    return text.substr(b, e - b + 1);
}

}  // namespace platform
