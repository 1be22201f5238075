// SPDX-License-Identifier: Apache-2.0
#include "tools/quillon-script/ScriptCheck.h"

#include <set>

#include "platform/com/Conversion.h"
#include "platform/support/TextCase.h"
#include "quillon/install/ScriptArguments.h"
#include "quillon/install/ScriptCommands.h"
#include "quillon/install/ScriptFile.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon_script {

namespace {

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// The "%name%" tokens of a text: a name is a run of characters other than "%", blanks,
// semicolons and path separators.
std::vector<std::string> placeholders(std::string_view text) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while ((at = text.find('%', at)) != std::string_view::npos) {
        std::size_t end = text.find_first_of("% ;\\/\"", at + 1);
        if (end != std::string_view::npos && text[end] == '%' && end > at + 1) {
            names.emplace_back(text.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            ++at;
        }
    }
    return names;
}

}  // namespace

std::vector<std::string> checkScript(std::string_view bytes, const std::optional<KnownVariable>& known) {
    std::vector<std::string> findings;
    const std::vector<std::string> lines = quillon::scriptLines(bytes);
    auto report = [&findings](std::size_t number, const std::string& text) {
        findings.push_back(std::to_string(number) + ": " + text);
    };
    std::optional<std::size_t> cancelledAt;
    bool loneLineFeedReported = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t number = i + 1;
        if (!loneLineFeedReported && lines[i].find('\n') != std::string::npos) {
            loneLineFeedReported = true;
            report(number,
                   "a lone LF ends no line (only CR LF and a lone CR do), so the text around it is read as one line");
        }
        const quillon::ScriptLine line = quillon::splitScriptLine(lines[i]);
        if (line.blank) continue;
        const quillon::ScriptCommand* command = quillon::findScriptCommand(line.keyword);
        if (!command) {
            if (line.keyword.empty())
                report(number,
                       "the line begins with a blank, so its keyword is empty and the line is skipped as a remark");
            else
                report(number, quoted(line.keyword) + " is not a command; the line is skipped as a remark");
            continue;
        }
        if (cancelledAt)
            report(number, std::string(line.keyword) + " never runs: the script is cancelled on line " +
                               std::to_string(*cancelledAt));
        if (command->name == "CANCEL" && !cancelledAt) cancelledAt = number;

        const quillon::ScriptArguments A =
            quillon::prepareScriptArguments(line.arguments, [](const std::string& text) { return text; });
        const std::size_t reads = quillon::argumentsRead(*command, A);
        if (A.size() < reads)
            report(number, line.keyword + " needs " + std::to_string(reads) +
                               (reads == 1 ? " argument" : " arguments") + " but is given " + std::to_string(A.size()) +
                               ", so it will do nothing");
        for (std::size_t n = 0; n < A.size() && n < std::max<std::size_t>(reads, 4); ++n) {
            const std::string& argument = A[n];
            if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
                report(number, "argument " + std::to_string(n + 1) + " " + argument +
                                   " keeps its double quotes, since no blank lies between them");
            if (!known) continue;
            std::set<std::string> reported;
            for (const std::string& name : placeholders(argument))
                if (!(*known)(name) && reported.insert(name).second)
                    report(number, "%" + name + "% is no variable of the product and stays as it is");
        }
    }
    return findings;
}

KnownVariable productVariables(const std::string& productKey) {
    std::set<std::string> names = {"installtemp", "InstallTemp", "WL"};
    auto lister = quillon::toollib::makeKeyLister();
    lister->Open(quillon::toollib::HKEY_LOCAL_MACHINE, quillon::settings::productVariablesKey(productKey),
                 platform::com::False, platform::com::True);
    for (const auto& item : lister->Values()->Items()) {
        std::string name(platform::trimBlanks(item.Name));
        if (name.empty()) continue;
        names.insert(name.front() == '@' ? name.substr(1) : name);
    }
    return [names](const std::string& name) {
        if (names.count(name)) return true;
        const std::string placeholder = "%" + name + "%";
        return quillon::toollib::gorslb().ExpandPlaceholders(placeholder) != placeholder;
    };
}

}  // namespace quillon_script
