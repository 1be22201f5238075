// SPDX-License-Identifier: Apache-2.0
// The two descriptor files an update server carries: the update index (signature "adu1.0ov"),
// which maps conditions on the installed version to a description file, and the update
// description (signature "adu1.0sl"), which says what the update is and where it lies.
// Part of quillon/discovery; depends on platform/prefix, platform/com and platform/support.
//
// Malformed files never fail the search: an index that ends after its first line, a condition
// without its target line or with fewer than two dots gives the empty text (no update); a
// description shorter than six lines, or whose line 4 is not a 16-bit whole number, gives
// nothing. A file that cannot be read counts as empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The lines of a descriptor file's text: CR LF or a lone CR ends a line, a lone LF does not
// and stays in the line; blanks are kept. Text after the last line end is the last line.
std::vector<std::string> splitDescriptorLines(std::string_view text);

// The file at a Windows-style path, decoded (UTF-8 when valid, else Windows-1252), as lines.
std::vector<std::string> readDescriptorLines(const std::string& path);

struct InstalledVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t revision = 0;
};

// Whether a condition line such as "=2.<4.>0" holds for the installed version: major before
// the first dot, revision after the last, minor in between; each an operator (=, <, >)
// followed by the leading number of the rest; any other operator never holds. Nothing for a
// line with fewer than two dots.
std::optional<bool> conditionHolds(std::string_view line, const InstalledVersion& installed);

// The target line of the first condition that holds, exactly as read; empty when the
// signature does not match, no condition holds, or the file is malformed.
std::string ReadUpdateIndex(const std::string& path, std::int32_t verMaj, std::int32_t verMin, std::int32_t verRev);
// The same on the lines of an index file.
std::string updateIndexTarget(const std::vector<std::string>& lines, const InstalledVersion& installed);

struct UpdateDescription {
    std::string updateType;   // line 4, as read
    std::string updateData;   // line 5, as read
    std::string description;  // line 6
};

// Lines 4 to 6 of a description file whose signature matches; nothing otherwise.
std::optional<UpdateDescription> parseUpdateDescription(const std::vector<std::string>& lines);

}  // namespace quillon
