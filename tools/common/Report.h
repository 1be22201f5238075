// How the command-line tools tell the user an outcome and ask a question: a message box when
// they are meant to show one, else standard output or standard error and the terminal.
#pragma once

#include <string>

namespace tools {

enum class ReportKind { Information, Error };

// Shows `text` under `title` unless `silent`. Errors go to standard error even when silent,
// so that scripts see why a tool failed.
void report(const std::string& title, const std::string& text, ReportKind kind, bool silent);

enum class Answer { Yes, No };

// Asks a Yes/No question on the terminal: prints `prompt` on standard output and reads lines
// from standard input until one is an answer (y, yes, j, ja or n, no, nein, any case). At the
// end of input the answer is `fallback`.
Answer askOnTerminal(const std::string& prompt, Answer fallback);

// Asks the user a Yes/No question under `title`; `fallback` answers when nobody can (for now
// on the terminal, as askOnTerminal does).
Answer ask(const std::string& title, const std::string& text, Answer fallback);

}  // namespace tools
