// SPDX-License-Identifier: Apache-2.0
// The real Internet client as a plugin library, loaded by DeferredInternetClient on first use.
#include "platform/gorsl/gorsld/DeferredInternetClient.h"
#include "platform/gorsl/gorsld/InternetClient.h"

extern "C" __attribute__((visibility("default"))) platform::com::Unknown* quillonGorsldInternetClient() {
    return gorsl::createInternetClient().detach();
}
