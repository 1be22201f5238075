// SPDX-License-Identifier: Apache-2.0
#include "platform/support/TemporaryNames.h"

#include "platform/support/UniqueToken.h"

namespace platform {

std::string temporaryName(std::string_view purpose) {
    std::string name(kTemporaryMarker);
    name.append(purpose);
    name += '-';
    name += uniqueToken();
    name += ".part";
    return name;
}

bool isTemporaryName(std::string_view name) {
    return name.size() > kTemporaryMarker.size() && name.substr(0, kTemporaryMarker.size()) == kTemporaryMarker;
}

}  // namespace platform
