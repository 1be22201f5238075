// SPDX-License-Identifier: Apache-2.0
#include "platform/support/ProgramLocation.h"

#include <system_error>

namespace platform {

std::filesystem::path executablePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : p;
}

std::filesystem::path executableDirectory() {
    return executablePath().parent_path();
}

std::filesystem::path installRoot() {
    const std::filesystem::path dir = executableDirectory();
    const std::filesystem::path standIns = QUILLON_STANDIN_DIR;
    // A stand-in sits as many levels deeper as its folder has components.
    std::filesystem::path root = dir;
    if (dir.filename() == standIns.filename() && dir.parent_path().filename() == standIns.parent_path().filename()) {
        for (const auto& part : standIns) {
            (void)part;
            root = root.parent_path();
        }
        return root;
    }
    return dir.parent_path();
}

std::filesystem::path libraryDirectory() {
    return installRoot() / QUILLON_PRIVATE_LIBDIR;
}

std::filesystem::path standInDirectory() {
    return installRoot() / QUILLON_STANDIN_DIR;
}

}  // namespace platform
