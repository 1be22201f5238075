// SPDX-License-Identifier: Apache-2.0
// Gorslb's registry key lister, the class behind IRegistryKeyLister, and the item
// collection it hands out.
// Part of platform/gorsl; depends on platform/registry and platform/com.
#pragma once

#include "platform/com/Unknown.h"

namespace gorsl {

inline constexpr const char* kKeyListerSource = "Gorslb.RegistryKeyLister";

platform::com::Ptr<platform::com::Unknown> createRegistryKeyLister();

}  // namespace gorsl
