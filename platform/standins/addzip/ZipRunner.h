// SPDX-License-Identifier: Apache-2.0
// One addZIP run: creating or adding to an archive, listing it, or deleting entries from it
// (ZipSteps.h, one file per job), with every step reported as a callback message.
// Part of platform/standins/addzip; depends on libzip and platform/prefix.
#pragma once

#include <cstdint>

#include "platform/standins/addzip/Settings.h"

namespace addzip {

// Runs the mode of `settings`. After success the archive holds the result; after a failure
// the archive is as it was (libzip writes a temporary file and renames it). Returns the count
// of files handled, at most 32767, or the negative first error code. A message handler's
// exception is rethrown after the archive has been let go.
std::int16_t runZip(const ZipSettings& settings);

}  // namespace addzip
