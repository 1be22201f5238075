// SPDX-License-Identifier: Apache-2.0
// Velpack's class table and the entry points that register it and serve its classes.
#include <velpack/Velpack.h>
#include "platform/com/Server.h"
#include "velpack/frame/Factories.h"

namespace velpack {
namespace {
using platform::com::ClassInfo;
using platform::com::InterfaceInfo;
using platform::com::ServerInfo;

constexpr ClassInfo kClasses[] = {
    {CLSID_ZIPFile, kZIPFileProgId, &createZIPFile},
    {CLSID_PatchModule, kPatchModuleProgId, &createPatchModule},
    {CLSID_CompressionAlgorithm, kCompressionAlgorithmProgId, &createCompressionAlgorithm},
    {CLSID_ACEFile, kACEFileProgId, &createACEFile},
    {CLSID_RARFile, kRARFileProgId, &createRARFile},
};

constexpr InterfaceInfo kInterfaces[] = {
    {IZIPFile::iid, "_ZIPFile"},         {IZIPFileEvents::iid, "__ZIPFile"},
    {IPatchModule::iid, "_PatchModule"}, {ICompressionAlgorithm::iid, "_CompressionAlgorithm"},
    {IACEFile::iid, "_ACEFile"},         {IACEFileEvents::iid, "__ACEFile"},
    {IRARFile::iid, "_RARFile"},         {IRARFileEvents::iid, "__RARFile"},
};

const ServerInfo& serverInfo() {
    static const ServerInfo info{{kTypeLibraryId, "Velpack", "ORVANE Compression DLL", "1.0"}, kClasses, kInterfaces};
    return info;
}
}  // namespace
}  // namespace velpack

QUILLON_COM_SERVER(velpack::serverInfo)
