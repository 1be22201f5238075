// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/Placeholders.h"

#include <optional>

#include "platform/prefix/Prefix.h"
#include "platform/support/TextCase.h"

namespace gorsl {

namespace {
namespace prefix = platform::prefix;

std::optional<std::string> placeholder(const std::string& name) {
    const std::string key = platform::asciiLower(name);
    if (key == "windir" || key == "systemroot") return prefix::windowsPath(prefix::Folder::Windows);
    if (key == "systemdir") return prefix::windowsPath(prefix::Folder::System);
    if (key == "temp" || key == "tmp") return prefix::tempFolder();
    if (key == "programfiles") return prefix::programFilesFolder();
    if (key == "commonprogramfiles" || key == "commonfiles") return prefix::windowsPath(prefix::Folder::CommonFiles);
    if (key == "systemdrive") return prefix::windowsPath(prefix::Folder::Windows).substr(0, 2);
    return std::nullopt;
}
}  // namespace

std::string expandPlaceholders(const std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t open = text.find('%', i);
        if (open == std::string::npos) break;
        std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        out.append(text, i, open - i);
        if (auto value = placeholder(text.substr(open + 1, close - open - 1))) {
            out += *value;
            i = close + 1;
        } else {
            out += '%';  // not ours: keep it, and let its closing "%" open the next candidate
            i = open + 1;
        }
    }
    out.append(text, i, std::string::npos);
    return out;
}

}  // namespace gorsl
