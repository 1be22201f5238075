// SPDX-License-Identifier: Apache-2.0
// How the wizard reaches the maker's tool libraries: the global objects of Gorsla and
// Gorslb, made through the component runtime on first use and kept until the program ends,
// and the classes made anew for each use (process runner, key lister, Internet client).
// Part of quillon/toollib; depends on platform/com and platform/gorsl's interfaces.
#pragma once

#include <cstdint>

#include "platform/com/Unknown.h"
#include "platform/gorsl/Gorsl.h"

namespace quillon::toollib {

// The numbers the libraries take, named once.
// HKEY_LOCAL_MACHINE as the libraries take it, the only hive the wizard passes itself.
inline constexpr std::int32_t HKEY_LOCAL_MACHINE = -2147483646;
// RegistryWrite's type code for text, the only type the wizard writes.
inline constexpr std::int32_t REG_SZ = 1;
// SpecialFolder's folder codes.
inline constexpr std::int32_t kFavoritesFolderCode = 6;
inline constexpr std::int32_t kWindowsFolderCode = 36;
inline constexpr std::int32_t kSystemFolderCode = 37;
inline constexpr std::int32_t kCommonFilesFolderCode = 43;
inline constexpr std::int32_t kInstallTempFolderCode = 1003;
// ShellOpen's show command for a normal window.
inline constexpr std::int32_t kShowNormal = 1;
// ShellDelete's flags: allow undo, no confirmation.
inline constexpr std::int32_t kShellDeleteToTrash = 80;
// The Internet client's access type (direct, no proxy); its services are Gorsl.h's.
inline constexpr std::int32_t kDirectAccess = 1;

// The global objects. The first call makes the object; a creation error
// (platform::com::Error, 429 when the library is missing or unregistered) propagates, and
// the next call tries again. Afterwards the same object serves every call.
gorsl::IGorsla& gorsla();
gorsl::IGorslb& gorslb();

// A new object for each use; creation errors propagate.
platform::com::Ptr<gorsl::IProcessRunner> makeProcessRunner();
platform::com::Ptr<gorsl::IRegistryKeyLister> makeKeyLister();
platform::com::Ptr<gorsl::IInternetClient> makeInternetClient();

// Lets go of the global objects; the next use makes them anew. For tests, which switch
// prefixes within one process.
void releaseGlobalObjects();

}  // namespace quillon::toollib
