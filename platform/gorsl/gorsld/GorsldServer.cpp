// SPDX-License-Identifier: Apache-2.0
// Gorsld's class table and the entry points that register it and serve its class.
#include "platform/com/Server.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/LibraryIds.h"
#include "platform/gorsl/gorsld/DeferredInternetClient.h"

namespace gorsl {
namespace {
constexpr platform::com::ClassInfo kClasses[] = {
    {CLSID_InternetClient, kInternetClientProgId, &createDeferredInternetClient}};
constexpr platform::com::InterfaceInfo kInterfaces[] = {{IInternetClient::iid, "_InternetClient"}};
const platform::com::ServerInfo& serverInfo() {
    static const platform::com::ServerInfo info{
        {kGorsldLibraryId, "Gorsld", "Gorsld Internet library", "1.0"}, kClasses, kInterfaces};
    return info;
}
}  // namespace
}  // namespace gorsl

QUILLON_COM_SERVER(gorsl::serverInfo)
