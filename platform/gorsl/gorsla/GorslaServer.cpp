// SPDX-License-Identifier: Apache-2.0
// Gorsla's class table and the entry points that register it and serve its class.
#include "platform/com/Server.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/LibraryIds.h"
#include "platform/gorsl/gorsla/Tools.h"

namespace gorsl {
namespace {
constexpr platform::com::ClassInfo kClasses[] = {{CLSID_GorslaTools, kGorslaProgId, &createTools}};
constexpr platform::com::InterfaceInfo kInterfaces[] = {{IGorsla::iid, "_Tools"}};
const platform::com::ServerInfo& serverInfo() {
    static const platform::com::ServerInfo info{
        {kGorslaLibraryId, "Gorsla", "Gorsla tool library", "1.0"}, kClasses, kInterfaces};
    return info;
}
}  // namespace
}  // namespace gorsl

QUILLON_COM_SERVER(gorsl::serverInfo)
