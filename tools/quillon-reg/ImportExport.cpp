// SPDX-License-Identifier: Apache-2.0
#include "tools/quillon-reg/Commands.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/prefix/Prefix.h"
#include "platform/registry/RegFile.h"

namespace regtool {

namespace reg = platform::registry;

int import(reg::RegistryStore& store, const CommandLine& line) {
    expectWords(line, 1);
    const std::string& file = line.words[0];
    auto result = reg::importRegFile(store, platform::prefix::toNative(file));
    if (!result) fail("Cannot import " + file + ": " + result.error());
    std::printf("%s\n", kDone);
    return 0;
}

namespace fs = std::filesystem;

int exportKey(reg::RegistryStore& store, const CommandLine& line) {
    reg::FullKeyPath key = keyArgument(line);
    expectWords(line, 2);
    const std::string& file = line.words[1];
    fs::path native = platform::prefix::toNative(file);
    if (!store.keyExists(key.hive, key.path)) fail(kNotFound);
    std::error_code ec;
    const fs::file_status present = fs::symlink_status(native, ec);
    // A link, device or pipe at FILE is never replaced by the export, whatever /y says.
    if (fs::exists(present) && !fs::is_regular_file(present))
        fail("Cannot export to " + file + ": it exists and is not a regular file.");
    if (fs::exists(present) && !confirmed("File " + file + " already exists, overwrite", line.has("y"))) cancelled();
    auto result = reg::exportRegFile(store, {key}, reg::RegFormat::Version5, native);
    if (!result) fail("Cannot export to " + file + ": " + result.error());
    std::printf("%s\n", kDone);
    return 0;
}

}  // namespace regtool
