// SPDX-License-Identifier: Apache-2.0
// Any text as a RunOnce command line, resolved in a real prefix whose system folder holds
// one program (nothing is started): what is found is always an executable regular file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/prefix/Prefix.h"
#include "tools/quillon-prefix/Boot.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool prepared = [] {
        fs::path root = fs::temp_directory_path() / ("run_once_fuzzer." + std::to_string(::getpid()));
        platform::prefix::createLayout(root);
        fs::path tool = root / "drive_c/windows/system32/Tool.exe";
        std::ofstream(tool) << "#!/bin/sh\n";
        fs::permissions(tool, fs::perms::owner_all);
        ::setenv("QUILLON_PREFIX", root.c_str(), 1);
        ::setenv("PATH", "/nonexistent-path-folder", 1);
        return true;
    }();
    (void)prepared;

    auto command = tools::resolveRunOnceCommand({reinterpret_cast<const char*>(data), size});
    if (!command) return 0;
    struct stat info {};
    if (::stat(command->program.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::access(command->program.c_str(), X_OK) != 0)
        std::abort();
    return 0;
}
