// SPDX-License-Identifier: Apache-2.0
// Any text as a Windows-style path, mapped in a real prefix (so that letter case is matched
// against what exists). A path that names a drive or a share never leaves its place in the
// prefix; a POSIX absolute path passes unchanged; anything else stays below the working folder.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/prefix/Prefix.h"

namespace fs = std::filesystem;

namespace {

bool startsWith(const fs::path& path, const fs::path& base) {
    auto [b, p] = std::mismatch(base.begin(), base.end(), path.begin(), path.end());
    return b == base.end();
}

bool climbs(const fs::path& path, const fs::path& base) {
    for (const auto& part : path.lexically_relative(base))
        if (part == "..") return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path root = [] {
        fs::path r = fs::temp_directory_path() / ("to_native_fuzzer." + std::to_string(::getpid()));
        platform::prefix::createLayout(r);
        fs::create_directories(r / "unc/Server/Share/Dir");
        return r;
    }();
    static const fs::path cwd = "/work/dir";

    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const fs::path native = platform::prefix::toNative(path, root, cwd);
    if (native.empty()) return 0;
    // POSIX absolute, also after the long-path mark
    if (native == fs::path(path) || (path.size() > 4 && native == fs::path(path.substr(4)))) return 0;
    if (startsWith(native, root / "unc") || startsWith(native, root / "dosdevices")) {
        const fs::path place = startsWith(native, root / "unc") ? root / "unc" : root / "dosdevices";
        if (climbs(native, place)) std::abort();
        return 0;
    }
    if (!startsWith(native, cwd)) std::abort();
    return 0;
}
