// SPDX-License-Identifier: Apache-2.0
#include "tests/registry/Snapshot.h"

namespace registry_tests {

using namespace platform::registry;

std::vector<std::string> snapshot(RegistryStore& store, Hive hive, std::string_view keyPath) {
    std::vector<std::string> lines;
    for (const auto& path : store.subtree(hive, keyPath)) {
        lines.push_back("[" + path + "]");
        for (const auto& v : store.values(hive, path)) {
            static constexpr char digits[] = "0123456789abcdef";
            std::string line = v.name + "=" + std::to_string(static_cast<int>(v.value.type())) + ":";
            for (auto b : v.value.raw()) line += {digits[b >> 4], digits[b & 15]};
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace registry_tests

namespace platform::registry {
void PrintTo(const Value& value, std::ostream* out) {
    *out << valueTypeName(value.type()) << " " << value.text();
}
}  // namespace platform::registry
