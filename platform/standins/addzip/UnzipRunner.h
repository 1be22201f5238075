// SPDX-License-Identifier: Apache-2.0
// One addUNZIP run: reading the selected entries of an archive and handing them to the safe
// extractor, which writes nothing outside the destination; its results become the addUNZIP
// messages. Part of platform/standins/addzip; depends on libzip, platform/prefix and
// platform/standins/extract.
#pragma once

#include <cstdint>

#include "platform/standins/addzip/Settings.h"

namespace addzip {

// After success every selected entry is in the destination (or was kept back by the
// overwrite mode, with a Warning). After a failure the entries that failed were not written
// at all, no partial file is left, and an Error message named each. Returns the number of
// files extracted when nothing failed, else the negative first error code. A message
// handler's exception is rethrown after the archive and the open folders have been let go.
std::int32_t runUnzip(const UnzipSettings& settings);

}  // namespace addzip
