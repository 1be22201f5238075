// SPDX-License-Identifier: Apache-2.0
// Any key path and any /t, /s and /d arguments (lines of the input, in that order). A parsed
// key path prints and parses back to itself, can be created, holds the value made from the
// arguments, and can be deleted again; a value's text form reads back to the same value.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/FullKeyPath.h"
#include "platform/registry/RegistryStore.h"
#include "tools/quillon-reg/DataArgument.h"

namespace reg = platform::registry;

namespace {

std::vector<std::string> lines(std::string_view input, std::size_t count) {
    std::vector<std::string> parts;
    while (parts.size() + 1 < count) {
        std::size_t end = input.find('\n');
        if (end == std::string_view::npos) break;
        parts.emplace_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    parts.emplace_back(input);
    parts.resize(count);
    return parts;
}

std::optional<std::string> optional(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static reg::RegistryStore store = [] {
        auto opened = reg::RegistryStore::open(":memory:");
        if (!opened) std::abort();
        return std::move(opened).value();
    }();
    const auto args = lines({reinterpret_cast<const char*>(data), size}, 4);
    const std::string &keyText = args[0], &typeName = args[1], &separator = args[2], &dataText = args[3];

    auto value = tools::parseDataArgument(optional(typeName), dataText, optional(separator));
    if (value && value->type() != reg::ValueType::MultiString) {
        auto again = reg::Value::fromText(value->type(), value->text());
        if (!again || !(*again == *value)) std::abort();
    }

    auto key = reg::parseFullKeyPath(keyText);
    if (!key) return 0;
    auto reparsed = reg::parseFullKeyPath(reg::formatFullKeyPath(key->hive, key->path));
    if (!reparsed || !(*reparsed == *key)) std::abort();

    const bool isHive = reg::splitKeyPath(key->path).empty();
    store.createKey(key->hive, key->path);
    if (!store.keyExists(key->hive, key->path) || !store.storedPath(key->hive, key->path)) std::abort();
    if (value) {
        store.setValue(key->hive, key->path, "v", *value);
        auto stored = store.value(key->hive, key->path, "V");
        if (!stored || !(*stored == *value)) std::abort();
        store.deleteValue(key->hive, key->path, "v");
    }
    if (!isHive) {
        const std::string top(reg::splitKeyPath(key->path).front());
        if (!store.deleteKey(key->hive, top, reg::Subtree::Delete)) std::abort();
        if (store.keyExists(key->hive, key->path)) std::abort();
    }
    return 0;
}
