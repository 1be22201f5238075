// SPDX-License-Identifier: Apache-2.0
// Questions on the terminal, for tools that talk to a person at a terminal only.
#pragma once

#include <string>

namespace tools {

enum class Answer { Yes, No };

// Asks a Yes/No question on the terminal: prints `prompt` on standard output and reads lines
// from standard input until one is an answer (y, yes, j, ja or n, no, nein, any case). At the
// end of input the answer is `fallback`.
Answer askOnTerminal(const std::string& prompt, Answer fallback);

}  // namespace tools
