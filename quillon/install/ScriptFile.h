// SPDX-License-Identifier: Apache-2.0
// Reading an install script: its bytes decoded (UTF-8 when valid, else Windows-1252), cut into
// lines at CR LF or a lone CR, and each line split into its keyword and argument text.
// Part of quillon/install; depends on quillon/toollib, quillon/discovery (the line rule) and
// platform/support.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A script larger than this is not run: it cannot be an update's honest install script.
inline constexpr std::size_t kMaxScriptBytes = 64u << 20;

// The lines of a script's bytes. A lone LF does not end a line; text after the last line
// end is the last line; a UTF-8 byte order mark is dropped.
std::vector<std::string> scriptLines(std::string_view bytes);

struct ScriptText {
    std::vector<std::string> lines;
    std::string error;  // why the file could not be read; empty when it was
};
// The script at a Windows-style path, read whole and closed again.
ScriptText readScriptFile(const std::string& path);

struct ScriptLine {
    bool blank = true;      // nothing but blanks: not executed
    std::string keyword;    // upper case
    std::string arguments;  // blanks at both ends removed
};
// A line with a blank: the keyword is the text before the first blank (so a line that begins
// with a blank has an empty keyword) and the arguments the rest; a line without one is all
// keyword. Only the space character is a blank; tabs are ordinary characters.
ScriptLine splitScriptLine(const std::string& line);

}  // namespace quillon
