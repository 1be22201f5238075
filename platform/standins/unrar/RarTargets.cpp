// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unrar/RarTargets.h"

#include "platform/standins/extract/EntryNames.h"

namespace unrar {
namespace {

std::string folderOrWorkingDirectory(std::string_view folder) {
    return folder.empty() ? std::string(".") : std::string(folder);
}

}  // namespace

Target splitTarget(std::string_view destPath, std::string_view destName, std::string_view entryName) {
    if (destName.empty()) return {folderOrWorkingDirectory(destPath), std::string(entryName)};
    const extract::TargetSplit split = extract::splitAtEntryName(destName, entryName);
    return {folderOrWorkingDirectory(split.folder), std::string(split.name)};
}

}  // namespace unrar
