// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/EntryNames.h"

#include <vector>

#include "platform/standins/extract/EntryNames.h"

namespace addzip {

using extract::isDrive;
using extract::splitPath;

ListedName listedName(std::string_view entryName) {
    std::string name(entryName);
    for (char& c : name)
        if (c == '/') c = '\\';
    while (!name.empty() && name.back() == '\\') name.pop_back();
    std::size_t slash = name.rfind('\\');
    if (slash == std::string::npos) return {"", name};
    return {name.substr(0, slash), name.substr(slash + 1)};
}

std::string storedPath(std::string_view path) {
    // "\\server\share\rest" keeps "server/share/rest"; "C:\rest" and "/rest" keep "rest".
    std::vector<std::string_view> parts = splitPath(path);
    std::vector<std::string_view> kept;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string_view part = parts[i];
        if (i == 0 && isDrive(part)) part = part.substr(2);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string out;
    for (std::string_view part : kept) {
        if (!out.empty()) out += '/';
        out += part;
    }
    return out;
}

bool isRootedPath(std::string_view path) {
    return !path.empty() && (path.front() == '/' || path.front() == '\\' || isDrive(splitPath(path).front()));
}

}  // namespace addzip
