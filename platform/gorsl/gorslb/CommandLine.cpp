// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/CommandLine.h"

namespace gorsl {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
}  // namespace

std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && isBlank(text[i])) ++i;
        if (i == text.size()) return arguments;
        std::string argument;
        bool quoted = false;
        while (i < text.size()) {
            std::size_t backslashes = 0;
            while (i < text.size() && text[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < text.size() && text[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                    ++i;
                } else if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    argument += '"';  // "" inside quotes: a literal quote, still quoted
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            argument.append(backslashes, '\\');
            if (i == text.size() || (!quoted && isBlank(text[i]))) break;
            argument += text[i++];
        }
        arguments.push_back(std::move(argument));
    }
}

CommandLine splitCommandLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    CommandLine result;
    if (i < line.size() && line[i] == '"') {
        std::size_t close = line.find('"', i + 1);
        std::size_t end = close == std::string_view::npos ? line.size() : close;
        result.program = std::string(line.substr(i + 1, end - i - 1));
        i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        std::size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        result.program = std::string(line.substr(start, i - start));
    }
    result.arguments = splitArguments(line.substr(i));
    return result;
}

}  // namespace gorsl
