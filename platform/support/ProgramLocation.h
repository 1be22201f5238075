// SPDX-License-Identifier: Apache-2.0
// Where the running program, the stand-in programs and the installed libraries live. The
// build tree has the installed layout, so the answers are the same in both.
// Part of platform/support; depends on the standard library only.
#pragma once

#include <filesystem>

namespace platform {

// The running executable, resolved through /proc/self/exe.
std::filesystem::path executablePath();
std::filesystem::path executableDirectory();
// The installation root: the folder above bin/ (or above libexec/quillon/ for the stand-ins).
std::filesystem::path installRoot();
// The private and server libraries: <root>/lib/quillon.
std::filesystem::path libraryDirectory();
// The stand-in programs regedit and regsvr32: <root>/libexec/quillon.
std::filesystem::path standInDirectory();

}  // namespace platform
