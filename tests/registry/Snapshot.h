// SPDX-License-Identifier: Apache-2.0
// Everything below a key as one comparable list, so that tests can say "the store is as it was",
// and values printed readably in test failures.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegistryStore.h"

namespace registry_tests {

// One line per key ("[path]") and per value ("name=type:hex bytes"), keys in the store's order
// and with their stored case, values in creation order.
std::vector<std::string> snapshot(platform::registry::RegistryStore& store, platform::registry::Hive hive,
                                  std::string_view keyPath);

}  // namespace registry_tests

namespace platform::registry {
// Found by GoogleTest for failure messages: "REG_DWORD 31".
void PrintTo(const Value& value, std::ostream* out);
}  // namespace platform::registry
