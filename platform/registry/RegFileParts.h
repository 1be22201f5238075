// SPDX-License-Identifier: Apache-2.0
// The inside of the .reg file room, one job per file: decoding a file's bytes into lines
// (RegDecoding.cpp), parsing the lines into changes (RegParser.cpp) and writing keys as .reg
// text (RegWriter.cpp); RegFile.cpp joins them to the store. Internal to platform/registry.
// Part of platform/registry; depends on the registry store and platform/support.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry/RegFile.h"

namespace platform::registry {

inline constexpr std::string_view kRegHeader4 = "REGEDIT4";
inline constexpr std::string_view kRegHeader5 = "Windows Registry Editor Version 5.00";

// Thrown by the three jobs and turned into a Failure at the room's edge (line 0: no line).
struct LineError {
    int line;
    std::string what;
};

// Shortens a piece of a line for an error message.
inline std::string excerpt(std::string_view s) {
    constexpr std::size_t kMax = 40;
    if (s.size() <= kMax) return std::string(s);
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return std::string(s.substr(0, cut)) + "...";
}

// "hex(7)" and the like.
inline std::string hexTypeText(std::uint32_t type) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "hex(%x)", type);
    return buf;
}

// The file's text as UTF-8: UTF-16LE when it has the byte order mark (or plainly is UTF-16LE
// text without one), else UTF-8 when valid and Windows-1252 otherwise. Throws LineError.
std::string decodeRegFile(std::string_view bytes);
// Index of the first UTF-16LE code unit that is not part of a well-formed sequence, or npos.
// An odd trailing byte counts as a bad unit.
std::size_t firstBadUtf16Unit(std::string_view bytes);
// Lines end at CR LF, LF or a lone CR.
std::vector<std::string_view> splitRegLines(std::string_view text);

// The form and the changes of a decoded file, in file order. Throws LineError.
std::pair<RegFormat, std::vector<RegChange>> parseRegText(std::string_view text);

// The .reg text of each key with its subtree, read in one transaction, and the number of keys
// written. Throws LineError (line 0) for a missing key or an unwritable name, StoreError
// when the store fails.
std::pair<std::string, std::size_t> writeRegKeys(RegistryStore& store, const std::vector<FullKeyPath>& keys,
                                                 RegFormat format);

}  // namespace platform::registry
