// SPDX-License-Identifier: Apache-2.0
#include "tools/quillon-reg/Arguments.h"

#include "platform/support/TextCase.h"
#include "tools/common/Terminal.h"

namespace regtool {

namespace reg = platform::registry;

void fail(std::string message) {
    throw Problem{std::move(message)};
}

namespace {

// The switches one operation takes; those with an argument consume the next word.
struct Switch {
    const char* name;
    bool takesArgument;
};
const std::map<std::string, std::vector<Switch>> kSwitches = {
    {"add", {{"v", true}, {"ve", false}, {"t", true}, {"s", true}, {"d", true}, {"f", false}}},
    {"query", {{"v", true}, {"ve", false}, {"s", false}}},
    {"delete", {{"v", true}, {"ve", false}, {"va", false}, {"f", false}}},
    {"import", {}},
    {"export", {{"y", false}}},
};

// A word that looks like a switch ("/x", "-x") rather than a path such as "/tmp/a.reg".
bool looksLikeSwitch(const std::string& word) {
    return word.size() >= 2 && (word[0] == '/' || word[0] == '-') && word.find_first_of("/\\.", 1) == std::string::npos;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    line.operation = platform::asciiLower(args[0]);
    auto known = kSwitches.find(line.operation);
    if (known == kSwitches.end()) fail("Invalid syntax: unknown operation \"" + args[0] + "\".\n" + kUsage);
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (!looksLikeSwitch(word)) {
            line.words.push_back(word);
            continue;
        }
        std::string name = platform::asciiLower(word.substr(1));
        if (name == "reg:32" || name == "reg:64") continue;  // one registry view only
        const Switch* sw = nullptr;
        for (const auto& s : known->second)
            if (name == s.name) sw = &s;
        if (!sw) fail("Invalid syntax: " + line.operation + " does not take " + word + ".\n" + kUsage);
        if (line.switches.count(name)) fail("Invalid syntax: " + word + " is given twice.");
        std::string argument;
        if (sw->takesArgument) {
            if (i + 1 >= args.size()) fail("Invalid syntax: " + word + " needs an argument.");
            argument = args[++i];
        }
        line.switches[name] = argument;
    }
    return line;
}

reg::FullKeyPath keyArgument(const CommandLine& line) {
    if (line.words.empty()) fail("Invalid syntax: the KEY is missing.\n" + std::string(kUsage));
    const std::string& text = line.words[0];
    if (text.starts_with("\\\\")) fail("Remote registries are not supported: \"" + text + "\".");
    auto key = reg::parseFullKeyPath(text);
    if (!key) fail("Invalid key name \"" + text + "\": a key begins with HKLM, HKCU, HKCR, HKU or their long names.");
    return *key;
}

void expectWords(const CommandLine& line, std::size_t count) {
    if (line.words.size() < count) fail("Invalid syntax: an argument is missing.\n" + std::string(kUsage));
    if (line.words.size() > count) fail("Invalid syntax: unexpected argument \"" + line.words[count] + "\".");
}

std::optional<std::string> valueName(const CommandLine& line) {
    auto named = line.argument("v");
    int given = (named ? 1 : 0) + (line.has("ve") ? 1 : 0) + (line.has("va") ? 1 : 0);
    if (given > 1) fail("Invalid syntax: give only one of /v, /ve and /va.");
    if (line.has("ve")) return std::string();
    return named;
}

std::string displayName(const std::string& name) {
    return name.empty() ? "(Default)" : name;
}

bool confirmed(const std::string& prompt, bool force) {
    return force || tools::askOnTerminal(prompt + " (Yes/No)? ", tools::Answer::No) == tools::Answer::Yes;
}

[[noreturn]] void cancelled() {
    fail("The operation was cancelled by the user.");
}

}  // namespace regtool
