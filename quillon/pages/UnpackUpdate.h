// SPDX-License-Identifier: Apache-2.0
// The download-and-install page's unpack step: an update archive opened with the component's
// ZIPFile class and extracted into the install temp folder, which is emptied first so that
// nothing of an earlier update reaches the next one's script.
// Part of quillon/pages; depends on platform/com, quillon/toollib and velpack/include.
#pragma once

#include <string>

#include <velpack/Velpack.h>

namespace quillon {

// False when the archive lists no entries (not a ZIP archive, or an empty one), or when the
// install temp folder could not be emptied: nothing is extracted then. True once the archive
// has been extracted into the install temp folder; entries the extraction refused are not
// looked at. `events`, when given, hears the ZIPFile object's events.
bool UnpackUpdate(const std::string& archivePath, velpack::IZIPFileEvents* events = nullptr);

// Removes everything inside the folder (Windows-style path); links are removed, never
// followed. True when the folder is empty afterwards.
bool EmptyFolder(const std::string& folder);

}  // namespace quillon
