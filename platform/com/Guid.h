// SPDX-License-Identifier: Apache-2.0
// Globally unique identifiers for classes, interfaces and type libraries.
// Part of the component runtime; depends on the standard library only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::com {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    // Accepts "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with or without braces, any letter case.
    static std::optional<Guid> parse(std::string_view text);
    // Parses a literal known to be valid at compile time; a malformed literal does not compile.
    static consteval Guid literal(std::string_view text);

    // The registry form: braces, upper-case hexadecimal.
    std::string toString() const;

    friend constexpr bool operator==(const Guid&, const Guid&) = default;
};

namespace detail {
consteval int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw "invalid hexadecimal digit in GUID literal";
}
consteval std::uint64_t hexField(std::string_view s, std::size_t pos, std::size_t len) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < len; ++i) v = (v << 4) | static_cast<std::uint64_t>(hexDigit(s[pos + i]));
    return v;
}
}  // namespace detail

consteval Guid Guid::literal(std::string_view text) {
    if (text.size() == 38) text = text.substr(1, 36);
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
        throw "GUID literal must look like XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX";
    Guid g;
    g.data1 = static_cast<std::uint32_t>(detail::hexField(text, 0, 8));
    g.data2 = static_cast<std::uint16_t>(detail::hexField(text, 9, 4));
    g.data3 = static_cast<std::uint16_t>(detail::hexField(text, 14, 4));
    g.data4[0] = static_cast<std::uint8_t>(detail::hexField(text, 19, 2));
    g.data4[1] = static_cast<std::uint8_t>(detail::hexField(text, 21, 2));
    for (std::size_t i = 0; i < 6; ++i)
        g.data4[2 + i] = static_cast<std::uint8_t>(detail::hexField(text, 24 + 2 * i, 2));
    return g;
}

}  // namespace platform::com
