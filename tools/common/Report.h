// SPDX-License-Identifier: Apache-2.0
// How the system's stand-in programs (regsvr32, regedit) tell the user an outcome and ask a
// question: in message boxes of the chosen forms host, as the programs they stand in for do
// (the Qt host on a display, the console host on a terminal or in a script).
// Part of tools/common; depends on platform/forms and its hosts.
#pragma once

#include <functional>
#include <string>

#include "tools/common/Terminal.h"

namespace tools {

// Runs a tool's work with the chosen forms host installed, so that its message boxes show.
// A silent run (/s or -s among the arguments) gets the console host: it never opens a window.
// Returns the work's exit status, or 1 when it failed with an unforeseen error (reported).
int runWithMessageBoxes(int& argc, char** argv, const std::string& title, const std::function<int()>& work);

enum class ReportKind { Information, Error };

// Shows `text` under `title` in a message box unless `silent`. Errors also go to standard
// error, silent or not, so that scripts see why a tool failed.
void report(const std::string& title, const std::string& text, ReportKind kind, bool silent);

// Asks a Yes/No question in a message box; `fallback` is the default button, which answers
// when nobody can (a closed input).
Answer ask(const std::string& title, const std::string& text, Answer fallback);

}  // namespace tools
