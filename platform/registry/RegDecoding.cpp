// SPDX-License-Identifier: Apache-2.0
#include <algorithm>

#include "platform/registry/RegFileParts.h"
#include "platform/support/TextEncoding.h"

namespace platform::registry {

std::size_t firstBadUtf16Unit(std::string_view bytes) {
    auto unit = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    std::size_t n = bytes.size() / 2;
    for (std::size_t k = 0; k < n; ++k) {
        unsigned u = unit(2 * k);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (k + 1 >= n) return k;
            unsigned low = unit(2 * k + 2);
            if (low < 0xDC00 || low > 0xDFFF) return k;
            ++k;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return k;
        }
    }
    return bytes.size() % 2 ? n : std::string_view::npos;
}

std::string decodeRegFile(std::string_view bytes) {
    bool utf16 = false;
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        utf16 = true;
    } else if (bytes.starts_with("\xFE\xFF")) {
        throw LineError{1, "the file is UTF-16 big-endian; only UTF-16LE, UTF-8 and Windows-1252 are read"};
    } else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) {
        utf16 = true;
    }
    if (!utf16) return decodeExternalText(bytes);
    std::size_t bad = firstBadUtf16Unit(bytes);
    if (bad != std::string_view::npos) {
        std::string before = utf16leToUtf8(bytes.substr(0, bad * 2));
        int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
        throw LineError{line, "the text is not valid UTF-16LE"};
    }
    return utf16leToUtf8(bytes);
}

std::vector<std::string_view> splitRegLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace platform::registry
