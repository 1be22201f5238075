// SPDX-License-Identifier: Apache-2.0
// The program entry of a forms program: the start procedure, then the event loop until no
// form is loaded; and the top-level handler that turns an unforeseen error into the host's
// run-time error report.
// Part of platform/forms; depends on platform/com (Error) and the standard library.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/com/Error.h"

namespace platform::forms {

struct ProgramOptions {
    std::string title;  // the program's title: message boxes without one, the error report
};

// Runs `start`, then the event loop until the last form is unloaded (or until no form is
// visible and nothing is queued, since then nothing could ever happen). An unforeseen error
// (platform::com::Error or std::exception) shows the run-time error report and ends the
// program; endProgram() ends it at once. In both cases forms still loaded are dropped without
// their Unload handlers. Returns 0, or 1 after a run-time error report.
int runProgram(const ProgramOptions& options, const std::function<void()>& start);

// Ends the program at once, as the host language's End does: unwinds to runProgram, which
// drops every form. Outside runProgram the ProgramEnded exception reaches the caller.
struct ProgramEnded {};
[[noreturn]] void endProgram();

// "Laufzeitfehler '<number>':" CR LF CR LF "<description>".
std::string runtimeErrorText(const platform::com::Error& error);

const std::string& programTitle();
void setProgramTitle(std::string_view title);

}  // namespace platform::forms
