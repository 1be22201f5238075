// SPDX-License-Identifier: Apache-2.0
// Gorslb's process runner, the class behind IProcessRunner: one program run, waited for.
// Part of platform/gorsl; depends on platform/com.
#pragma once

#include "platform/com/Unknown.h"

namespace gorsl {

platform::com::Ptr<platform::com::Unknown> createProcessRunner();

}  // namespace gorsl
