// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/KnownFolders.h"

#include "platform/gorsl/common/Errors.h"
#include "platform/gorsl/gorslb/RunFolder.h"
#include "platform/prefix/Prefix.h"

namespace gorsl {

std::string specialFolder(std::int32_t code, const std::string& source) {
    if (code == kInstallTempFolderCode) return installTempFolder().windowsPath(source);
    if (code == kProgramFilesFolderCode) return platform::prefix::programFilesFolder();
    if (auto folder = platform::prefix::folderFromCode(code)) return platform::prefix::windowsPath(*folder);
    throw invalidArgument(source, "unknown special folder code " + std::to_string(code));
}

}  // namespace gorsl
