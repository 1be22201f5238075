// SPDX-License-Identifier: Apache-2.0
#include "platform/registry/FullKeyPath.h"

namespace platform::registry {

std::optional<FullKeyPath> parseFullKeyPath(std::string_view text) {
    std::size_t sep = text.find('\\');
    auto hive = hiveFromName(text.substr(0, sep));
    if (!hive) return std::nullopt;
    std::string_view rest = sep == std::string_view::npos ? std::string_view{} : text.substr(sep + 1);
    return FullKeyPath{*hive, std::string(rest)};
}

std::string formatFullKeyPath(Hive hive, std::string_view path) {
    std::string text(hiveLongName(hive));
    if (!path.empty()) {
        text += '\\';
        text += path;
    }
    return text;
}

}  // namespace platform::registry
