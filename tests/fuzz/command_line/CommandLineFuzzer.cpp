// SPDX-License-Identifier: Apache-2.0
// Any text as an argument text and as a command line: the arguments it splits into, quoted
// again by the host's rules, split back into the same arguments; placeholders expand only
// where a "%" stands.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gorsl/gorslb/CommandLine.h"
#include "platform/gorsl/gorslb/Placeholders.h"

namespace {

// The C runtime's quoting: backslashes are doubled only before a quote and at the end.
std::string quoted(const std::string& argument) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const auto arguments = gorsl::splitArguments(text);
    std::string joined;
    for (const auto& argument : arguments) joined += (joined.empty() ? "" : " ") + quoted(argument);
    if (gorsl::splitArguments(joined) != arguments) std::abort();

    // A quoted program name ends at the next quote.
    const auto line = gorsl::splitCommandLine(text);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first != std::string::npos && text[first] == '"' && line.program.find('"') != std::string::npos) std::abort();

    const std::string expanded = gorsl::expandPlaceholders(text);
    if (text.find('%') == std::string::npos && expanded != text) std::abort();
    return 0;
}
