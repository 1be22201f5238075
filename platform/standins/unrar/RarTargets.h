// SPDX-License-Identifier: Apache-2.0
// Where RARProcessFile writes an entry: the folder that the caller chose and the part of the
// target that names the entry below it. Only the entry's own name (which comes from the
// archive) is judged and placed by the safe extractor; what the caller wrote before it is the
// caller's folder. Part of platform/standins/unrar; depends on platform/standins/extract.
#pragma once

#include <string>
#include <string_view>

namespace unrar {

struct Target {
    std::string folder;  // Windows-style; "." for the working directory
    std::string name;    // below `folder`, "\" or "/" between its components
};

// destName given: when it ends with entryName after a separator (or is entryName), the folder is
// what comes before and the name is entryName; otherwise the folder is destName's parent and the
// name its last component. Else destPath (or the working directory) and entryName.
Target splitTarget(std::string_view destPath, std::string_view destName, std::string_view entryName);

}  // namespace unrar
