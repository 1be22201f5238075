// SPDX-License-Identifier: Apache-2.0
// The name of the install script an update archive carries at its top level. The registry
// keys the install commands use are in quillon/settings, the folder codes in quillon/toollib.
// Part of quillon/install; depends on nothing.
#pragma once

namespace quillon {

inline constexpr const char* kInstallScriptName = "aupdate.inf";

}  // namespace quillon
