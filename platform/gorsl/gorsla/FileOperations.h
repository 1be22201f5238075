// SPDX-License-Identifier: Apache-2.0
// Gorsla's file operations on Windows-style paths: existence, folders, copies, text files
// and the empty output file the patch module asks for. Each maps its paths through the
// prefix when it touches the file system.
// Part of platform/gorsl; depends on platform/prefix and platform/com.
#pragma once

#include <string>
#include <system_error>

#include "platform/support/StagedFile.h"

namespace gorsl {

// True when a regular file (or a link to one) is at the path.
bool fileExists(const std::string& path);
// Afterwards the folder and its parents exist; throws the Error of fileError on failure.
void createFolder(const std::string& path, const std::string& source);
// Copies source to destination through a staged file; see IGorsla::CopyFile. Returns the
// reason when no copy was made (file_exists when platform::Overwrite::Keep met a destination).
std::error_code copyFileTo(const std::string& source, const std::string& destination, platform::Overwrite overwrite);
// Afterwards the file holds exactly `text`; an existing file keeps its permissions. Throws
// the Error of fileError on failure, the file then being as it was.
void writeTextFile(const std::string& path, const std::string& text, const std::string& source);
// Afterwards an empty file is at the path. Throws the Error of fileError on failure.
void prepareOutputFile(const std::string& path, const std::string& source);

}  // namespace gorsl
