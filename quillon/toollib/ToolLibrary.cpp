// SPDX-License-Identifier: Apache-2.0
#include "quillon/toollib/ToolLibrary.h"

#include "platform/com/Creation.h"

namespace quillon::toollib {

namespace {
using platform::com::createObject;
using platform::com::Ptr;

// Held until the program ends; single GUI thread, so no locking.
Ptr<gorsl::IGorsla>& gorslaObject() {
    static Ptr<gorsl::IGorsla> object;
    return object;
}
Ptr<gorsl::IGorslb>& gorslbObject() {
    static Ptr<gorsl::IGorslb> object;
    return object;
}
}  // namespace

gorsl::IGorsla& gorsla() {
    auto& object = gorslaObject();
    if (!object) object = createObject<gorsl::IGorsla>(gorsl::kGorslaProgId);
    return *object;
}

gorsl::IGorslb& gorslb() {
    auto& object = gorslbObject();
    if (!object) object = createObject<gorsl::IGorslb>(gorsl::kGorslbProgId);
    return *object;
}

Ptr<gorsl::IProcessRunner> makeProcessRunner() {
    return createObject<gorsl::IProcessRunner>(gorsl::kProcessRunnerProgId);
}

Ptr<gorsl::IRegistryKeyLister> makeKeyLister() {
    return createObject<gorsl::IRegistryKeyLister>(gorsl::kKeyListerProgId);
}

Ptr<gorsl::IInternetClient> makeInternetClient() {
    return createObject<gorsl::IInternetClient>(gorsl::kInternetClientProgId);
}

void releaseGlobalObjects() {
    gorslaObject().reset();
    gorslbObject().reset();
}

}  // namespace quillon::toollib
