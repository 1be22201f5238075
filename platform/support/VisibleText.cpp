// SPDX-License-Identifier: Apache-2.0
#include "platform/support/VisibleText.h"

#include "platform/support/Utf8.h"

namespace platform {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool keptBreak(std::string_view text, std::size_t i) {
    char c = text[i];
    return c == '\n' || c == '\t' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
}

}  // namespace

std::string visibleText(std::string_view text, LineBreaks breaks) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            if (breaks == LineBreaks::Kept && keptBreak(text, i)) {
                shown += text[i];
            } else {
                shown += '^';
                shown += static_cast<char>(byte ^ 0x40);
            }
            ++i;
            continue;
        }
        if (byte < 0x80) {
            shown += text[i++];
            continue;
        }
        char32_t codePoint = 0;
        std::size_t length = decodeUtf8At(text, i, codePoint);
        if (length == 0) {
            shown += kReplacement;
            ++i;
        } else {
            if (codePoint <= 0x9F)
                shown += kReplacement;
            else
                shown.append(text.substr(i, length));
            i += length;
        }
    }
    return shown;
}

std::string quotedVisibleText(std::string_view text) {
    std::string quoted = "\"";
    for (char c : visibleText(text)) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace platform
