// SPDX-License-Identifier: Apache-2.0
// The host's command-line rules: how an argument text splits into arguments, and how a
// whole command line (a RunOnce value, say) splits into program and arguments.
// Part of platform/gorsl; depends on the standard library only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gorsl {

// Splits by the rules of the host's C runtime: arguments are separated by spaces and tabs;
// double quotes group, and are removed; 2n backslashes before a quote give n backslashes and
// the quote groups, 2n+1 give n backslashes and a literal quote; backslashes anywhere else
// are literal; "" inside quotes gives a literal quote; "" alone is an empty argument.
std::vector<std::string> splitArguments(std::string_view text);

struct CommandLine {
    std::string program;
    std::vector<std::string> arguments;
};

// The program is the first word: everything up to the next quote when it starts with one
// (no backslash escapes), else everything up to the first space or tab. The rest is split
// by splitArguments.
CommandLine splitCommandLine(std::string_view line);

}  // namespace gorsl
