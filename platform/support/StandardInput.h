// SPDX-License-Identifier: Apache-2.0
// Standard input read line by line without reading ahead: a line is taken byte by byte up to
// its line break, so whatever follows stays on file descriptor 0 for a program started next
// (a script's child gets the lines meant for it).
// Part of platform/support; depends on POSIX and the standard library only.
#pragma once

#include <istream>
#include <optional>
#include <string>

namespace platform {

// A stream over file descriptor 0 that never holds more than the byte just read.
std::istream& unbufferedStandardInput();

// One line of `in` without its line break (LF or CR LF); nothing at the end of input.
std::optional<std::string> readInputLine(std::istream& in);

}  // namespace platform
