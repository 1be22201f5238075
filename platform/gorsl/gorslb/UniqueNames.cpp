// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/UniqueNames.h"

#include <sys/stat.h>

#include <string_view>

#include "platform/prefix/Prefix.h"
#include "platform/support/UniqueToken.h"

namespace gorsl {

namespace {
std::string fileNameFrom(std::string_view name) {
    std::string safe;
    for (char c : name) {
        bool bad =
            static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
        safe += bad ? '_' : c;
    }
    return safe.empty() ? "tmp" : safe;
}
}  // namespace

std::string temporaryFileName(const std::string& name) {
    const std::string folder = platform::prefix::tempFolder();
    const std::string stem = fileNameFrom(name);
    while (true) {
        std::string path = folder + "\\" + stem + "-" + platform::uniqueToken() + ".tmp";
        struct stat info {};
        if (::lstat(platform::prefix::toNative(path).c_str(), &info) != 0) return path;
    }
}

std::string uniqueName() {
    return "Quillon-" + platform::uniqueToken();
}

}  // namespace gorsl
