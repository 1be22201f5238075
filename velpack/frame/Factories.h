// SPDX-License-Identifier: Apache-2.0
// The factory of each class, one per class room; the class table calls them.
#pragma once

#include "platform/com/Unknown.h"

namespace velpack {
platform::com::Ptr<platform::com::Unknown> createZIPFile();
platform::com::Ptr<platform::com::Unknown> createPatchModule();
platform::com::Ptr<platform::com::Unknown> createCompressionAlgorithm();
platform::com::Ptr<platform::com::Unknown> createACEFile();
platform::com::Ptr<platform::com::Unknown> createRARFile();
}  // namespace velpack
