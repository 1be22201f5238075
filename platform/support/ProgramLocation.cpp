#include "platform/support/ProgramLocation.h"

#include <system_error>

namespace platform {

std::filesystem::path executablePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : p;
}

std::filesystem::path executableDirectory() { return executablePath().parent_path(); }

std::filesystem::path libraryDirectory() {
    return (executableDirectory() / ".." / "lib").lexically_normal();
}

}  // namespace platform
