// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unrar/RarTargets.h"

namespace unrar {
namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && !(isSeparator(a[i]) && isSeparator(b[i]))) return false;
    return true;
}

std::string folderOrWorkingDirectory(std::string_view folder) {
    return folder.empty() ? std::string(".") : std::string(folder);
}

}  // namespace

Target splitTarget(std::string_view destPath, std::string_view destName, std::string_view entryName) {
    if (destName.empty()) return {folderOrWorkingDirectory(destPath), std::string(entryName)};
    if (!entryName.empty() && destName.size() >= entryName.size()) {
        std::string_view before = destName.substr(0, destName.size() - entryName.size());
        if (sameName(destName.substr(before.size()), entryName) && (before.empty() || isSeparator(before.back())))
            return {folderOrWorkingDirectory(before), std::string(entryName)};
    }
    std::size_t last = destName.find_last_of("\\/");
    if (last == std::string_view::npos) return {".", std::string(destName)};
    return {std::string(destName.substr(0, last + 1)), std::string(destName.substr(last + 1))};
}

}  // namespace unrar
