// SPDX-License-Identifier: Apache-2.0
// Gorslb's class table and the entry points that register it and serve its classes.
#include "platform/com/Server.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/LibraryIds.h"
#include "platform/gorsl/gorslb/ProcessRunner.h"
#include "platform/gorsl/gorslb/RegistryKeyLister.h"
#include "platform/gorsl/gorslb/System.h"

namespace gorsl {
namespace {
constexpr platform::com::ClassInfo kClasses[] = {
    {CLSID_GorslbSystem, kGorslbProgId, &createSystem},
    {CLSID_ProcessRunner, kProcessRunnerProgId, &createProcessRunner},
    {CLSID_RegistryKeyLister, kKeyListerProgId, &createRegistryKeyLister},
};
constexpr platform::com::InterfaceInfo kInterfaces[] = {
    {IGorslb::iid, "_System"},
    {IProcessRunner::iid, "_ProcessRunner"},
    {IRegistryKeyLister::iid, "_RegistryKeyLister"},
    {IRegistryItems::iid, "_RegistryItems"},
};
const platform::com::ServerInfo& serverInfo() {
    static const platform::com::ServerInfo info{
        {kGorslbLibraryId, "Gorslb", "Gorslb tool library", "1.0"}, kClasses, kInterfaces};
    return info;
}
}  // namespace
}  // namespace gorsl

QUILLON_COM_SERVER(gorsl::serverInfo)
