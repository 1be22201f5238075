#include "tools/common/Report.h"

#include <cstdio>
#include <iostream>

#include "platform/support/TextCase.h"

namespace tools {

void report(const std::string& title, const std::string& text, ReportKind kind, bool silent) {
    if (kind == ReportKind::Error) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return;
    }
    if (!silent) std::printf("%s\n%s\n", title.c_str(), text.c_str());
}

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

Answer ask(const std::string& title, const std::string& text, Answer fallback) {
    std::printf("%s\n", title.c_str());
    return askOnTerminal(text + " (Ja/Nein) ", fallback);
}

}  // namespace tools
