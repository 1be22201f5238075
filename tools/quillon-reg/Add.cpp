// SPDX-License-Identifier: Apache-2.0
#include "tools/quillon-reg/Commands.h"

#include <cstdio>
#include <string>

#include "tools/quillon-reg/DataArgument.h"

namespace regtool {

namespace reg = platform::registry;

namespace {

reg::Value dataArgument(const CommandLine& line) {
    auto value = tools::parseDataArgument(line.argument("t"), line.argument("d").value_or(""), line.argument("s"));
    if (!value) fail(value.error());
    return *value;
}

}  // namespace

int add(reg::RegistryStore& store, const CommandLine& line) {
    reg::FullKeyPath key = keyArgument(line);
    expectWords(line, 1);
    auto name = valueName(line);
    // /t or /d without a name set the default value, as reg.exe does.
    if (!name && (line.has("t") || line.has("d") || line.has("s"))) name = std::string();
    if (!name) {
        store.createKey(key.hive, key.path);
        std::printf("%s\n", kDone);
        return 0;
    }
    reg::Value value = dataArgument(line);
    if (store.value(key.hive, key.path, *name) &&
        !confirmed("Value " + displayName(*name) + " exists, overwrite", line.has("f")))
        cancelled();
    store.setValue(key.hive, key.path, *name, value);
    std::printf("%s\n", kDone);
    return 0;
}

}  // namespace regtool
