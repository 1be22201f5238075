// SPDX-License-Identifier: Apache-2.0
#include "tools/quillon-reg/Commands.h"

#include <cinttypes>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/support/TextCase.h"
#include "platform/support/VisibleText.h"

namespace regtool {

namespace reg = platform::registry;

namespace {

// reg.exe shows numbers in hex and everything else in its text form.
std::string displayData(const reg::Value& value) {
    if (value.type() == reg::ValueType::DWord || value.type() == reg::ValueType::QWord) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%" PRIx64, value.asNumber().value_or(0));
        return buf;
    }
    return value.text();
}

void printValue(const std::string& name, const reg::Value& value) {
    std::printf("    %s    %s    %s\n", platform::visibleText(displayName(name)).c_str(),
                std::string(reg::valueTypeName(value.type())).c_str(),
                platform::visibleText(displayData(value)).c_str());
}

// A key's full path as a line of its own.
void printKey(reg::Hive hive, const std::string& path) {
    std::printf("%s\n", platform::visibleText(reg::formatFullKeyPath(hive, path)).c_str());
}

// The value with its name as stored, for showing it as it was made.
std::optional<reg::NamedValue> findValue(reg::RegistryStore& store, reg::Hive hive, const std::string& path,
                                         const std::string& name) {
    for (auto& v : store.values(hive, path))
        if (platform::equalsIgnoreCase(v.name, name)) return std::move(v);
    return std::nullopt;
}

std::string joinPath(const std::string& path, const std::string& child) {
    return path.empty() ? child : path + "\\" + child;
}

}  // namespace

int query(reg::RegistryStore& store, const CommandLine& line) {
    reg::FullKeyPath key = keyArgument(line);
    expectWords(line, 1);
    auto name = valueName(line);
    auto stored = store.storedPath(key.hive, key.path);
    if (!stored) fail(kNotFound);
    const bool recursive = line.has("s");

    if (name && !recursive) {
        auto value = findValue(store, key.hive, *stored, *name);
        if (!value && !name->empty()) fail(kNotFound);
        std::printf("\n");
        printKey(key.hive, *stored);
        if (value)
            printValue(value->name, value->value);
        else
            std::printf("    (Default)    REG_SZ    (value not set)\n");  // as reg.exe shows an unset default
        std::printf("\n");
        return 0;
    }

    if (name) {  // /v with /s: every key of the subtree that holds the value
        std::size_t matches = 0;
        for (const auto& path : store.subtree(key.hive, *stored)) {
            if (auto value = findValue(store, key.hive, path, *name)) {
                std::printf("\n");
                printKey(key.hive, path);
                printValue(value->name, value->value);
                ++matches;
            }
        }
        std::printf("\nEnd of search: %zu match(es) found.\n", matches);
        if (matches == 0) fail(kNotFound);
        return 0;
    }

    if (!recursive) {
        std::printf("\n");
        printKey(key.hive, *stored);
        auto values = store.values(key.hive, *stored);
        for (const auto& v : values) printValue(v.name, v.value);
        if (!values.empty()) std::printf("\n");
        for (const auto& child : store.subkeys(key.hive, *stored)) printKey(key.hive, joinPath(*stored, child));
        return 0;
    }

    for (const auto& path : store.subtree(key.hive, *stored)) {
        std::printf("\n");
        printKey(key.hive, path);
        for (const auto& v : store.values(key.hive, path)) printValue(v.name, v.value);
    }
    std::printf("\n");
    return 0;
}

}  // namespace regtool
