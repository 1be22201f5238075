// SPDX-License-Identifier: Apache-2.0
// Fuzzes the .reg reader. Any bytes must either parse or fail naming a line; whatever parses
// must import, and its export must import again to the very same content, in both file forms.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/RegFile.h"

using namespace platform::registry;

namespace {

RegistryStore openMemoryStore() {
    auto store = RegistryStore::open(":memory:");
    if (!store) std::abort();
    return std::move(store).value();
}

void clear(RegistryStore& store) {
    store.transaction([&] {
        for (Hive hive : kAllHives) {
            for (const auto& key : store.subkeys(hive, "")) store.deleteKey(hive, key, Subtree::Delete);
            for (const auto& v : store.values(hive, "")) store.deleteValue(hive, "", v.name);
        }
    });
}

std::vector<FullKeyPath> everything() {
    std::vector<FullKeyPath> keys;
    for (Hive hive : kAllHives) keys.push_back({hive, ""});
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static RegistryStore first = openMemoryStore();
    static RegistryStore second = openMemoryStore();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    auto script = RegScript::parse(bytes);
    if (!script) {
        if (script.error().rfind("line ", 0) != 0) std::abort();
        return 0;
    }
    clear(first);
    script->applyTo(first);
    for (RegFormat format : {RegFormat::Version5, RegFormat::Regedit4}) {
        auto text = exportRegText(first, everything(), format);
        if (!text) std::abort();  // nothing a file can say is beyond what a file can write
        clear(second);
        auto again = importRegText(second, *text);
        if (!again) std::abort();
        auto text2 = exportRegText(second, everything(), format);
        if (!text2 || *text2 != *text) std::abort();
    }
    return 0;
}
