// The factory of each class, one per class room; the class table calls them.
#pragma once

#include "platform/com/Unknown.h"

namespace velpack {
platform::com::Unknown* createZIPFile();
platform::com::Unknown* createPatchModule();
platform::com::Unknown* createCompressionAlgorithm();
platform::com::Unknown* createACEFile();
platform::com::Unknown* createRARFile();
}  // namespace velpack
