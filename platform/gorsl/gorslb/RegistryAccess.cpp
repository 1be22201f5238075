// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/RegistryAccess.h"

#include "platform/com/Error.h"
#include "platform/gorsl/common/Errors.h"

namespace gorsl {

namespace reg = platform::registry;

reg::Hive hiveFromHandle(std::int32_t handle, const std::string& source) {
    auto hive = reg::hiveFromNumber(static_cast<std::uint32_t>(handle));
    if (!hive) throw invalidArgument(source, "unknown registry hive " + std::to_string(handle));
    return *hive;
}

void withRegistry(const std::string& source, const std::function<void(reg::RegistryStore&)>& work) {
    try {
        work(reg::RegistryStore::forPrefix());
    } catch (const reg::StoreError& e) {
        throw platform::com::Error(kRegistryUnavailable, source, std::string("registry store failed: ") + e.what());
    }
}

std::string registryRead(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                         const std::string& defaultValue, const std::string& source) {
    const reg::Hive h = hiveFromHandle(hive, source);
    std::string text;
    withRegistry(source,
                 [&](reg::RegistryStore& store) { text = store.readText(h, keyPath, valueName, defaultValue); });
    return text;
}

void registryWrite(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                   const std::string& value, std::int32_t type, const std::string& source) {
    const reg::Hive h = hiveFromHandle(hive, source);
    auto valueType = reg::valueTypeFromNumber(type);
    if (!valueType) throw invalidArgument(source, "unknown registry value type " + std::to_string(type));
    auto typed = reg::Value::fromText(*valueType, value);
    if (!typed)
        throw invalidArgument(source,
                              "\"" + value + "\" is no " + std::string(reg::valueTypeName(*valueType)) + " value");
    withRegistry(source, [&](reg::RegistryStore& store) { store.setValue(h, keyPath, valueName, *typed); });
}

void createKey(std::int32_t hive, const std::string& keyPath, const std::string& source) {
    const reg::Hive h = hiveFromHandle(hive, source);
    withRegistry(source, [&](reg::RegistryStore& store) { store.createKey(h, keyPath); });
}

}  // namespace gorsl
