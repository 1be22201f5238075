// SPDX-License-Identifier: Apache-2.0
#include "platform/com/Guid.h"

#include <cstdio>

namespace platform::com {

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool readHex(std::string_view s, std::size_t pos, std::size_t len, std::uint64_t& out) {
    out = 0;
    for (std::size_t i = 0; i < len; ++i) {
        int d = hexValue(s[pos + i]);
        if (d < 0) return false;
        out = (out << 4) | static_cast<std::uint64_t>(d);
    }
    return true;
}
}  // namespace

std::optional<Guid> Guid::parse(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
        return std::nullopt;
    Guid g;
    std::uint64_t v = 0;
    if (!readHex(text, 0, 8, v)) return std::nullopt;
    g.data1 = static_cast<std::uint32_t>(v);
    if (!readHex(text, 9, 4, v)) return std::nullopt;
    g.data2 = static_cast<std::uint16_t>(v);
    if (!readHex(text, 14, 4, v)) return std::nullopt;
    g.data3 = static_cast<std::uint16_t>(v);
    for (std::size_t i = 0; i < 2; ++i) {
        if (!readHex(text, 19 + 2 * i, 2, v)) return std::nullopt;
        g.data4[i] = static_cast<std::uint8_t>(v);
    }
    for (std::size_t i = 0; i < 6; ++i) {
        if (!readHex(text, 24 + 2 * i, 2, v)) return std::nullopt;
        g.data4[2 + i] = static_cast<std::uint8_t>(v);
    }
    return g;
}

std::string Guid::toString() const {
    char buf[39];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1, data2, data3, data4[0],
                  data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    return buf;
}

}  // namespace platform::com
