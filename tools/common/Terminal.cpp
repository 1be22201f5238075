#include "tools/common/Terminal.h"

#include <cstdio>
#include <iostream>

#include "platform/support/TextCase.h"

namespace tools {

Answer askOnTerminal(const std::string& prompt, Answer fallback) {
    std::string line;
    for (;;) {
        std::fputs(prompt.c_str(), stdout);
        std::fflush(stdout);
        if (!std::getline(std::cin, line)) {
            std::fputs("\n", stdout);
            return fallback;
        }
        std::string answer = platform::asciiLower(platform::trimBlanks(line));
        if (!answer.empty() && answer.back() == '\r') answer.pop_back();
        if (answer == "y" || answer == "yes" || answer == "j" || answer == "ja") return Answer::Yes;
        if (answer == "n" || answer == "no" || answer == "nein") return Answer::No;
    }
}

}  // namespace tools
