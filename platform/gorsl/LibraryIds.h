// SPDX-License-Identifier: Apache-2.0
// Class and type library identifiers of the three tool libraries.
#pragma once

#include "platform/com/Guid.h"

namespace gorsl {
using platform::com::Guid;
inline constexpr Guid kGorslaLibraryId = Guid::literal("3828306D-4393-44C7-9BD2-E3D4E6570F0D");
inline constexpr Guid CLSID_GorslaTools = Guid::literal("C4AA206B-3394-4AE1-B44A-EF3E130957FB");
inline constexpr Guid kGorslbLibraryId = Guid::literal("A56DB829-C6B4-4D60-A668-9A72BC42A93F");
inline constexpr Guid CLSID_GorslbSystem = Guid::literal("96C60971-060B-48DE-8D27-217F4A5CB56E");
inline constexpr Guid CLSID_ProcessRunner = Guid::literal("D87F41B9-AF4E-4E1D-BA5C-F41C54E02AAC");
inline constexpr Guid CLSID_RegistryKeyLister = Guid::literal("633AAADD-EB95-40DF-91D9-DFE8DE393D2A");
inline constexpr Guid kGorsldLibraryId = Guid::literal("6F964DB0-8481-46BC-A89B-5764602B5261");
inline constexpr Guid CLSID_InternetClient = Guid::literal("98A8CE9E-764E-4C47-B374-54CEBAA40210");
}  // namespace gorsl
