// SPDX-License-Identifier: Apache-2.0
// Gorsla's global object, the class behind IGorsla: the text, path and file operations of
// this folder behind the component interface.
// Part of platform/gorsl; depends on platform/com.
#pragma once

#include "platform/com/Unknown.h"

namespace gorsl {

inline constexpr const char* kGorslaSource = "Gorsla.Tools";

// A new Tools object that nobody holds yet.
platform::com::Ptr<platform::com::Unknown> createTools();

}  // namespace gorsl
