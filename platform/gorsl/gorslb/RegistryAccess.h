// SPDX-License-Identifier: Apache-2.0
// Gorslb's registry operations over the prefix's registry store: hives given as the host's
// predefined key handles, values read and written as text.
// Part of platform/gorsl; depends on platform/registry and platform/com.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/registry/RegistryStore.h"

namespace gorsl {

// The hive of a predefined key handle (HKLM is 0x80000002, as a signed number -2147483646).
// Throws Error 5 for any other number.
platform::registry::Hive hiveFromHandle(std::int32_t handle, const std::string& source);

// Runs `work` on the prefix's store; a failure of the store itself becomes Error
// kRegistryUnavailable, so that it crosses the component interface as an Error.
void withRegistry(const std::string& source, const std::function<void(platform::registry::RegistryStore&)>& work);

// See IGorslb::RegistryRead, RegistryWrite and CreateKey.
std::string registryRead(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                         const std::string& defaultValue, const std::string& source);
void registryWrite(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                   const std::string& value, std::int32_t type, const std::string& source);
void createKey(std::int32_t hive, const std::string& keyPath, const std::string& source);

}  // namespace gorsl
