// Where the running program and the installed libraries live.
#pragma once

#include <filesystem>

namespace platform {

// The running executable, resolved through /proc/self/exe.
std::filesystem::path executablePath();
std::filesystem::path executableDirectory();
// The folder of the server libraries beside the programs: <bin>/../lib, the same in the
// build tree and after installation.
std::filesystem::path libraryDirectory();

}  // namespace platform
