// SPDX-License-Identifier: Apache-2.0
// Loads the Qt host's plugin (platform/forms/qt/QtPlugin.h) from the folder of this library,
// once, the first time a program asks for Qt; until then no Qt library is loaded.
// Part of platform/forms/choice; depends on platform/forms/qt's plugin interface and platform/support.
#pragma once

#include "platform/forms/qt/QtPlugin.h"

namespace platform::forms {

// The plugin, or nullptr when it cannot be loaded (then Qt cannot run here; the reason has
// been written to standard error once).
const QtPlugin* qtPlugin();

}  // namespace platform::forms
