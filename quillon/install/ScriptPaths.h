// SPDX-License-Identifier: Apache-2.0
// Where the install commands find things: the tool library's folder codes, the product's
// registry keys and the script's file name.
// Part of quillon/install; depends on quillon/ModMain.h for the base key only.
#pragma once

#include <cstdint>
#include <string>

#include "quillon/ModMain.h"

namespace quillon {

inline constexpr std::int32_t kFavoritesFolderCode = 6;
inline constexpr std::int32_t kCommonFilesFolderCode = 43;
inline constexpr std::int32_t kInstallTempFolderCode = 1003;

inline constexpr const char* kInstallScriptName = "aupdate.inf";

inline std::string productRegistryKey(const std::string& productKey) {
    return std::string(kBaseKey) + "\\Products\\" + productKey;
}
inline std::string productVariablesKey(const std::string& productKey) {
    return productRegistryKey(productKey) + "\\Vars";
}

}  // namespace quillon
