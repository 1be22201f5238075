// SPDX-License-Identifier: Apache-2.0
#include "platform/support/StandardOptions.h"

#include <cstdio>
#include <string>

namespace platform {

std::string_view projectVersion() {
    return QUILLON_VERSION;
}

std::optional<int> answerStandardOptions(int argc, char** argv, std::string_view program, std::string_view usage) {
    if (argc != 2) return std::nullopt;
    const std::string_view option = argv[1];
    if (option == "--version") {
        std::printf("%.*s (Quillon) %.*s\n", static_cast<int>(program.size()), program.data(),
                    static_cast<int>(projectVersion().size()), projectVersion().data());
        return 0;
    }
    if (option == "--help") {
        std::string text(usage);
        if (text.empty() || text.back() != '\n') text += '\n';
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    return std::nullopt;
}

}  // namespace platform
