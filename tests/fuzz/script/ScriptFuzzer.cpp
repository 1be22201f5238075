// SPDX-License-Identifier: Apache-2.0
// Fuzzes the pure parts of the install script interpreter: decoding and line splitting, the
// argument preparation with its quoted blanks, the keyword lookup, hive numbers and variable
// expansion with variables taken from the input. Nothing touches files or the registry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/support/TextCase.h"
#include "quillon/install/ScriptArguments.h"
#include "quillon/install/ScriptCommands.h"
#include "quillon/install/ScriptFile.h"

namespace {

void check(bool holds) {
    if (!holds) std::abort();
}

std::size_t count(std::string_view text, char c) {
    std::size_t n = 0;
    for (char x : text) n += x == c;
    return n;
}

// Variables made from the script's own first lines, so the expansion meets names and data
// that the fuzzer controls, the indirect form included.
quillon::VariableSources sourcesFrom(const std::vector<std::string>& lines) {
    quillon::VariableSources sources;
    sources.expandLibraryPlaceholders = [](const std::string& text) {
        return quillon::replaceAll(text, "%windir%", "C:\\windows");
    };
    sources.installTempFolder = [] { return std::string("C:\\windows\\temp\\Install-1"); };
    sources.favoritesFolder = [] { return std::string("C:\\users\\Public\\Favorites"); };
    std::vector<quillon::ProductVariable> variables;
    for (std::size_t i = 0; i < lines.size() && i < 4; ++i) {
        const std::string& line = lines[i];
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        variables.push_back({line.substr(0, equals), line.substr(equals + 1, 64)});
    }
    sources.productVariables = [variables] { return variables; };
    sources.registryRead = [](std::int32_t hive, const std::string& key, const std::string& name) -> std::string {
        if (hive != -2147483646) throw std::runtime_error("unknown hive");
        return key.substr(0, 16) + "|" + name.substr(0, 16);
    };
    return sources;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = quillon::scriptLines(bytes);
    const quillon::VariableSources sources = sourcesFrom(lines);

    for (const std::string& line : lines) {
        check(line.find('\r') == std::string::npos);
        const std::size_t blank = line.find(' ');
        const std::string keyword = platform::foldCase(line.substr(0, blank));
        const std::string arguments =
            blank == std::string::npos ? std::string() : std::string(platform::trimBlanks(line.substr(blank + 1)));

        // Protection only hides blanks; restoring the placeholders gives the text back.
        if (arguments.find(quillon::kQuotedBlank) == std::string::npos)
            check(quillon::replaceAll(quillon::ProtectQuotedBlanks(arguments), quillon::kQuotedBlank, " ") ==
                  arguments);

        // Every semicolon separates, and expansion after the split never adds an argument.
        const auto plain = quillon::prepareScriptArguments(arguments, [](const std::string& t) { return t; });
        check(plain.size() == (arguments.empty() ? 0 : count(arguments, ';') + 1));
        for (const auto& argument : plain) check(argument.find(';') == std::string::npos);
        const auto expanded = quillon::prepareScriptArguments(
            arguments, [&](const std::string& t) { return quillon::expandVariables(t, sources); });
        check(expanded.size() == plain.size());

        if (const quillon::ScriptCommand* command = quillon::findScriptCommand(keyword)) {
            check(command->keyword == keyword);
            check(quillon::argumentsRead(*command, plain) >= command->reads);
            check(quillon::findScriptCommand(command->name) != nullptr);
        }
        (void)quillon::readHiveNumber(keyword);
    }
    return 0;
}
