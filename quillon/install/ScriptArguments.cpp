// SPDX-License-Identifier: Apache-2.0
#include "quillon/install/ScriptArguments.h"

#include <cstdint>

#include "platform/com/Conversion.h"
#include "platform/com/Error.h"
#include "platform/support/TextCase.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

std::string ProtectQuotedBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inQuotes = false;
    for (char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            out += c;
        } else if (c == ' ' && inQuotes) {
            out += kQuotedBlank;
        } else {
            out += c;
        }
    }
    return out;
}

std::string RestoreQuotedBlanks(std::string_view text) {
    const std::string restored = replaceAll(text, kQuotedBlank, " ");
    // A replaced placeholder leaves a blank between the quotes, so both quotes are distinct.
    const bool replaced = text.find(kQuotedBlank) != std::string_view::npos;
    if (replaced && restored.size() >= 2 && restored.front() == '"' && restored.back() == '"')
        return restored.substr(1, restored.size() - 2);
    return restored;
}

ScriptArguments splitScriptArguments(std::string_view text) {
    ScriptArguments pieces;
    if (text.empty()) return pieces;
    std::size_t start = 0;
    for (;;) {
        std::size_t semicolon = text.find(';', start);
        if (semicolon == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, semicolon - start));
        start = semicolon + 1;
    }
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos; start = at + from.size()) {
        out.append(text.substr(start, at - start));
        out.append(to);
    }
    out.append(text.substr(start));
    return out;
}

std::optional<std::int32_t> readHiveNumber(std::string_view word) {
    if (word.size() >= 2 && word[0] == '&' && (word[1] == 'H' || word[1] == 'h')) {
        std::uint64_t value = 0;
        for (std::size_t i = 2; i < word.size(); ++i) {
            char c = word[i];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) break;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    try {
        return platform::com::textToLong(word);
    } catch (const platform::com::Error&) {
        return std::nullopt;
    }
}

namespace {
// The text before the first blank and the text after it, as the tool library's first word
// and rest after first word split it.
std::pair<std::string, std::string> splitAtFirstBlank(const std::string& text) {
    std::size_t blank = text.find(' ');
    if (blank == std::string::npos) return {text, {}};
    return {text.substr(0, blank), text.substr(blank + 1)};
}

std::string indirectReplacement(const ProductVariable& variable, const std::string& name,
                                const VariableSources& sources) {
    auto [hiveWord, keyPath] = splitAtFirstBlank(variable.data);
    std::optional<std::int32_t> hive = readHiveNumber(hiveWord);
    if (!hive) return variable.data;
    try {
        return sources.registryRead(*hive, keyPath, name);
    } catch (const std::exception&) {
        return variable.data;
    }
}
}  // namespace

std::string expandVariables(std::string text, const VariableSources& sources) {
    text = sources.expandLibraryPlaceholders(text);
    text = replaceAll(text, "%installtemp%", sources.installTempFolder());
    text = replaceAll(text, "%InstallTemp%", sources.installTempFolder());
    text = replaceAll(text, "%WL%", sources.favoritesFolder() + "\\Web-Links");
    for (const ProductVariable& variable : sources.productVariables()) {
        const std::string trimmed(platform::trimBlanks(variable.name));
        if (trimmed.empty()) continue;
        std::string name = trimmed;
        std::string replacement = variable.data;
        if (trimmed.front() == '@') {
            name = trimmed.substr(1);
            replacement = indirectReplacement(variable, name, sources);
        }
        text = replaceAll(text, "%" + name + "%", replacement);
    }
    return text;
}

std::string ExpandScriptVariables(const std::string& text, const std::string& productKey) {
    VariableSources sources;
    sources.expandLibraryPlaceholders = [](const std::string& t) { return toollib::gorslb().ExpandPlaceholders(t); };
    sources.installTempFolder = [] { return toollib::gorslb().SpecialFolder(toollib::kInstallTempFolderCode, 0, 0); };
    sources.favoritesFolder = [] { return toollib::gorslb().SpecialFolder(toollib::kFavoritesFolderCode, 0, 0); };
    sources.productVariables = [&productKey] {
        auto lister = toollib::makeKeyLister();
        lister->Open(toollib::HKEY_LOCAL_MACHINE, settings::productVariablesKey(productKey), platform::com::False,
                     platform::com::True);
        std::vector<ProductVariable> variables;
        for (auto& item : lister->Values()->Items()) variables.push_back({item.Name, item.Data});
        return variables;
    };
    sources.registryRead = [](std::int32_t hive, const std::string& keyPath, const std::string& valueName) {
        return toollib::gorslb().RegistryRead(hive, keyPath, valueName, "");
    };
    return expandVariables(text, sources);
}

ScriptArguments prepareScriptArguments(std::string_view text,
                                       const std::function<std::string(const std::string&)>& expand) {
    ScriptArguments arguments = splitScriptArguments(ProtectQuotedBlanks(text));
    for (std::string& argument : arguments) argument = RestoreQuotedBlanks(platform::trimBlanks(expand(argument)));
    return arguments;
}

ScriptArguments PrepareScriptArguments(const std::string& text, const std::string& productKey) {
    return prepareScriptArguments(
        text, [&productKey](const std::string& argument) { return ExpandScriptVariables(argument, productKey); });
}

}  // namespace quillon
