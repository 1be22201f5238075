// SPDX-License-Identifier: Apache-2.0
// Gorslb's global object, the class behind IGorslb: the system services of this folder
// behind the component interface.
// Part of platform/gorsl; depends on platform/com.
#pragma once

#include "platform/com/Unknown.h"

namespace gorsl {

inline constexpr const char* kGorslbSource = "Gorslb.System";

platform::com::Ptr<platform::com::Unknown> createSystem();

}  // namespace gorsl
