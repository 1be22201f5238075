// SPDX-License-Identifier: Apache-2.0
// Texts from outside (descriptor lines, entry names, server replies, registry values) made
// safe to show on a terminal: control characters become visible instead of acting on it (an
// ESC sequence could clear the screen, set the title or hide what follows). Used at every
// place a program writes such text to a terminal, a pipe or a log it prints; stored values
// keep their text.
// Part of platform/support; depends on the standard library only.
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class LineBreaks {
    Shown,  // one-line values: every control character is shown
    Kept,   // texts of several lines: line feeds, CR LF pairs and tabs stay as they are
};

// C0 controls and DEL in caret form (ESC is "^[", NUL "^@", DEL "^?"); C1 controls
// (U+0080 to U+009F) and bytes that are not valid UTF-8 as U+FFFD.
std::string visibleText(std::string_view text, LineBreaks breaks = LineBreaks::Shown);

// visibleText in double quotes, with '"' and '\' escaped by a backslash, for machine-read lines.
std::string quotedVisibleText(std::string_view text);

}  // namespace platform
