// SPDX-License-Identifier: Apache-2.0
// --help and --version, answered the same way by every installed program before it looks at
// anything else. Part of platform/support; depends on the standard library only.
#pragma once

#include <optional>
#include <string_view>

namespace platform {

// The project's version, as the build set it ("1.0.0").
std::string_view projectVersion();

// When the only argument is --help or --version, prints the usage text or "<program> <version>"
// to standard output and gives the exit status 0; otherwise gives nothing.
std::optional<int> answerStandardOptions(int argc, char** argv, std::string_view program, std::string_view usage);

}  // namespace platform
