// SPDX-License-Identifier: Apache-2.0
#include "tools/common/Terminal.h"

#include <cstdio>

#include "platform/support/StandardInput.h"
#include "platform/support/TextCase.h"
#include "platform/support/VisibleText.h"

namespace tools {

Answer askOnTerminal(const std::string& prompt, Answer fallback) {
    for (;;) {
        std::fputs(platform::visibleText(prompt).c_str(), stdout);
        std::fflush(stdout);
        auto line = platform::readInputLine(platform::unbufferedStandardInput());
        if (!line) {
            std::fputs("\n", stdout);
            return fallback;
        }
        std::string answer = platform::asciiLower(platform::trimBlanks(*line));
        if (answer == "y" || answer == "yes" || answer == "j" || answer == "ja") return Answer::Yes;
        if (answer == "n" || answer == "no" || answer == "nein") return Answer::No;
    }
}

}  // namespace tools
