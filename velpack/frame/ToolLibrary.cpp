// SPDX-License-Identifier: Apache-2.0
#include "velpack/frame/ToolLibrary.h"

#include <utility>

#include "platform/com/Creation.h"

namespace velpack {
namespace {
// The component is called on its client's one GUI thread, so no locking.
platform::com::Ptr<gorsl::IGorsla>& gorslaObject() {
    static platform::com::Ptr<gorsl::IGorsla> object;
    return object;
}
}  // namespace

gorsl::IGorsla& gorsla() {
    auto& object = gorslaObject();
    if (!object) object = platform::com::createObject<gorsl::IGorsla>(gorsl::kGorslaProgId);
    return *object;
}

void useGorsla(platform::com::Ptr<gorsl::IGorsla> object) {
    gorslaObject() = std::move(object);
}

}  // namespace velpack
