// SPDX-License-Identifier: Apache-2.0
#include "platform/support/TextEncoding.h"

#include <cstdint>

#include "platform/support/Utf8.h"

namespace platform {

namespace {
// Windows-1252 0x80..0x9F; 0 where the code page has no character (kept as the C1 control).
constexpr char16_t kHigh1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Code page 850 (DOS, Western Europe), bytes 0x80 to 0xFF.
constexpr char16_t kHigh850[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C,
    0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6,
    0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};
}  // namespace

bool isValidUtf8(std::string_view bytes) {
    char32_t cp = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t len = decodeUtf8At(bytes, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string decodeExternalText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (isValidUtf8(bytes)) return std::string(bytes);
    return windows1252ToUtf8(bytes);
}

std::string oem850ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        appendUtf8(c < 0x80 ? char32_t{c} : char32_t{kHigh850[c - 0x80]}, out);
    }
    return out;
}

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        char32_t cp = c;
        if (c >= 0x80 && c < 0xA0 && kHigh1252[c - 0x80] != 0) cp = kHigh1252[c - 0x80];
        appendUtf8(cp, out);
    }
    return out;
}

namespace {
// The Windows-1252 code of a character, or -1 when it has none.
int windows1252Code(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    if (cp < 0xA0) return kHigh1252[cp - 0x80] == 0 ? static_cast<int>(cp) : -1;
    for (int k = 0; k < 32; ++k)
        if (kHigh1252[k] == cp) return 0x80 + k;
    return -1;
}
}  // namespace

std::optional<std::string> utf8ToWindows1252Exact(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        std::size_t len = decodeUtf8At(text, i, cp);
        int code = len == 0 ? -1 : windows1252Code(cp);
        if (code < 0) return std::nullopt;
        i += len;
        out += static_cast<char>(code);
    }
    return out;
}

std::string utf16leToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    std::size_t n = bytes.size() & ~std::size_t{1};
    for (std::size_t i = 0; i < n; i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), out);
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        appendUtf8(u, out);
    }
    return out;
}

std::string utf8ToUtf16le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    auto put = [&](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        std::size_t len = decodeUtf8At(text, i, cp);
        if (len == 0) {
            cp = static_cast<unsigned char>(text[i]);  // stray byte: read as Latin-1
            len = 1;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

}  // namespace platform
