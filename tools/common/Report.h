// How the command-line tools tell the user an outcome: a message box when they are
// meant to show one, else standard output or standard error.
#pragma once

#include <string>

namespace tools {

enum class ReportKind { Information, Error };

// Shows `text` under `title` unless `silent`. Errors go to standard error even when silent,
// so that scripts see why a tool failed.
void report(const std::string& title, const std::string& text, ReportKind kind, bool silent);

}  // namespace tools
