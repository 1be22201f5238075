// SPDX-License-Identifier: Apache-2.0
#include "tools/quillon-reg/Commands.h"

#include <cstdio>
#include <string>

namespace regtool {

namespace reg = platform::registry;

int remove(reg::RegistryStore& store, const CommandLine& line) {
    reg::FullKeyPath key = keyArgument(line);
    expectWords(line, 1);
    auto name = valueName(line);
    auto stored = store.storedPath(key.hive, key.path);
    if (!stored) fail(kNotFound);
    std::string full = reg::formatFullKeyPath(key.hive, *stored);
    const bool force = line.has("f");

    if (line.has("va")) {
        if (!confirmed("Delete all values under the registry key " + full, force)) cancelled();
        store.transaction([&] {
            for (const auto& v : store.values(key.hive, *stored)) store.deleteValue(key.hive, *stored, v.name);
        });
    } else if (name) {
        if (!store.value(key.hive, *stored, *name)) fail(kNotFound);
        if (!confirmed("Delete the registry value " + displayName(*name), force)) cancelled();
        store.deleteValue(key.hive, *stored, *name);
    } else {
        if (stored->empty()) fail("A whole hive cannot be deleted: " + full + ".");
        if (!confirmed("Permanently delete the registry key " + full, force)) cancelled();
        store.deleteKey(key.hive, *stored, reg::Subtree::Delete);
    }
    std::printf("%s\n", kDone);
    return 0;
}

}  // namespace regtool
