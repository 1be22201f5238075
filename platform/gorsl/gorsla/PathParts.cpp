// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorsla/PathParts.h"

namespace gorsl {

std::string fileNamePart(std::string_view path) {
    std::size_t last = path.find_last_of("\\/");
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string folderPart(std::string_view path) {
    std::size_t last = path.find_last_of("\\/");
    if (last == std::string_view::npos) return {};
    std::string_view head = path.substr(0, last);
    bool driveOnly = head.size() == 2 && head[1] == ':';
    if (head.empty() || driveOnly) return std::string(path.substr(0, last + 1));
    return std::string(head);
}

}  // namespace gorsl
