// SPDX-License-Identifier: Apache-2.0
// quillon-reg: the registry store of the current prefix from the command line, in reg.exe's
// syntax, so that a product's setup can register itself with one line.
//   quillon-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
//   quillon-reg query KEY [/v NAME | /ve] [/s]
//   quillon-reg delete KEY [/v NAME | /ve | /va] [/f]
//   quillon-reg import FILE
//   quillon-reg export KEY FILE [/y]
// Exit status 0 on success, 1 with the reason on standard error otherwise.
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/registry/FullKeyPath.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/RegistryStore.h"
#include "platform/support/StandardOptions.h"
#include "platform/support/TextCase.h"
#include "platform/support/VisibleText.h"
#include "tools/common/Terminal.h"
#include "tools/quillon-reg/DataArgument.h"

namespace fs = std::filesystem;
namespace reg = platform::registry;

namespace {

constexpr const char* kUsage =
    "usage: quillon-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
    "       quillon-reg query KEY [/v NAME | /ve] [/s]\n"
    "       quillon-reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       quillon-reg import FILE\n"
    "       quillon-reg export KEY FILE [/y]\n"
    "KEY begins with HKLM, HKCU, HKCR or HKU (or HKEY_LOCAL_MACHINE and so on).\n"
    "TYPE is REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD or REG_QWORD.\n";
constexpr const char* kNotFound = "The system was unable to find the specified registry key or value.";
constexpr const char* kDone = "The operation completed successfully.";

// Thrown for anything the user has to be told; main prints it and exits with 1.
struct Problem {
    std::string message;
};

[[noreturn]] void fail(std::string message) {
    throw Problem{std::move(message)};
}

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

struct CommandLine {
    std::string operation;
    std::vector<std::string> words;               // KEY, FILE
    std::map<std::string, std::string> switches;  // lower-case name without "/" -> argument
    bool has(const char* name) const { return switches.count(name) > 0; }
    std::optional<std::string> argument(const char* name) const {
        auto it = switches.find(name);
        return it == switches.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
};

// A word that looks like a switch ("/x", "-x") rather than a path such as "/tmp/a.reg".
bool looksLikeSwitch(const std::string& word) {
    return word.size() >= 2 && (word[0] == '/' || word[0] == '-') && word.find_first_of("/\\.", 1) == std::string::npos;
}

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

// The value a command names: /v NAME, /ve (the default value), or none.
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

void cancelled() {
    fail("The operation was cancelled by the user.");
}

// reg.exe shows numbers in hex and everything else in its text form.
std::string displayData(const reg::Value& value) {
    if (value.type() == reg::ValueType::DWord || value.type() == reg::ValueType::QWord) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%" PRIx64, value.asNumber().value_or(0));
        return buf;
    }
    return value.text();
}

void printValue(const std::string& name, const reg::Value& value) {
    std::printf("    %s    %s    %s\n", platform::visibleText(displayName(name)).c_str(),
                std::string(reg::valueTypeName(value.type())).c_str(),
                platform::visibleText(displayData(value)).c_str());
}

// A key's full path as a line of its own.
void printKey(reg::Hive hive, const std::string& path) {
    std::printf("%s\n", platform::visibleText(reg::formatFullKeyPath(hive, path)).c_str());
}

// The value with its name as stored, for showing it as it was made.
std::optional<reg::NamedValue> findValue(reg::RegistryStore& store, reg::Hive hive, const std::string& path,
                                         const std::string& name) {
    for (auto& v : store.values(hive, path))
        if (platform::equalsIgnoreCase(v.name, name)) return std::move(v);
    return std::nullopt;
}

std::string joinPath(const std::string& path, const std::string& child) {
    return path.empty() ? child : path + "\\" + child;
}

int query(reg::RegistryStore& store, const CommandLine& line) {
    reg::FullKeyPath key = keyArgument(line);
    expectWords(line, 1);
    auto name = valueName(line);
    auto stored = store.storedPath(key.hive, key.path);
    if (!stored) fail(kNotFound);
    const bool recursive = line.has("s");

    if (name && !recursive) {
        auto value = findValue(store, key.hive, *stored, *name);
        if (!value && !name->empty()) fail(kNotFound);
        std::printf("\n");
        printKey(key.hive, *stored);
        if (value)
            printValue(value->name, value->value);
        else
            std::printf("    (Default)    REG_SZ    (value not set)\n");  // as reg.exe shows an unset default
        std::printf("\n");
        return 0;
    }

    if (name) {  // /v with /s: every key of the subtree that holds the value
        std::size_t matches = 0;
        for (const auto& path : store.subtree(key.hive, *stored)) {
            if (auto value = findValue(store, key.hive, path, *name)) {
                std::printf("\n");
                printKey(key.hive, path);
                printValue(value->name, value->value);
                ++matches;
            }
        }
        std::printf("\nEnd of search: %zu match(es) found.\n", matches);
        if (matches == 0) fail(kNotFound);
        return 0;
    }

    if (!recursive) {
        std::printf("\n");
        printKey(key.hive, *stored);
        auto values = store.values(key.hive, *stored);
        for (const auto& v : values) printValue(v.name, v.value);
        if (!values.empty()) std::printf("\n");
        for (const auto& child : store.subkeys(key.hive, *stored)) printKey(key.hive, joinPath(*stored, child));
        return 0;
    }

    for (const auto& path : store.subtree(key.hive, *stored)) {
        std::printf("\n");
        printKey(key.hive, path);
        for (const auto& v : store.values(key.hive, path)) printValue(v.name, v.value);
    }
    std::printf("\n");
    return 0;
}

reg::Value dataArgument(const CommandLine& line) {
    auto value = tools::parseDataArgument(line.argument("t"), line.argument("d").value_or(""), line.argument("s"));
    if (!value) fail(value.error());
    return *value;
}

int add(reg::RegistryStore& store, const CommandLine& line) {
    reg::FullKeyPath key = keyArgument(line);
    expectWords(line, 1);
    auto name = valueName(line);
    // /t or /d without a name set the default value, as reg.exe does.
    if (!name && (line.has("t") || line.has("d") || line.has("s"))) name = std::string();
    if (!name) {
        store.createKey(key.hive, key.path);
        std::printf("%s\n", kDone);
        return 0;
    }
    reg::Value value = dataArgument(line);
    if (store.value(key.hive, key.path, *name) &&
        !confirmed("Value " + displayName(*name) + " exists, overwrite", line.has("f")))
        cancelled();
    store.setValue(key.hive, key.path, *name, value);
    std::printf("%s\n", kDone);
    return 0;
}

int remove(reg::RegistryStore& store, const CommandLine& line) {
    reg::FullKeyPath key = keyArgument(line);
    expectWords(line, 1);
    auto name = valueName(line);
    auto stored = store.storedPath(key.hive, key.path);
    if (!stored) fail(kNotFound);
    std::string full = reg::formatFullKeyPath(key.hive, *stored);
    const bool force = line.has("f");

    if (line.has("va")) {
        if (!confirmed("Delete all values under the registry key " + full, force)) cancelled();
        store.transaction([&] {
            for (const auto& v : store.values(key.hive, *stored)) store.deleteValue(key.hive, *stored, v.name);
        });
    } else if (name) {
        if (!store.value(key.hive, *stored, *name)) fail(kNotFound);
        if (!confirmed("Delete the registry value " + displayName(*name), force)) cancelled();
        store.deleteValue(key.hive, *stored, *name);
    } else {
        if (stored->empty()) fail("A whole hive cannot be deleted: " + full + ".");
        if (!confirmed("Permanently delete the registry key " + full, force)) cancelled();
        store.deleteKey(key.hive, *stored, reg::Subtree::Delete);
    }
    std::printf("%s\n", kDone);
    return 0;
}

int import(reg::RegistryStore& store, const CommandLine& line) {
    expectWords(line, 1);
    const std::string& file = line.words[0];
    auto result = reg::importRegFile(store, platform::prefix::toNative(file));
    if (!result) fail("Cannot import " + file + ": " + result.error());
    std::printf("%s\n", kDone);
    return 0;
}

int exportKey(reg::RegistryStore& store, const CommandLine& line) {
    reg::FullKeyPath key = keyArgument(line);
    expectWords(line, 2);
    const std::string& file = line.words[1];
    fs::path native = platform::prefix::toNative(file);
    if (!store.keyExists(key.hive, key.path)) fail(kNotFound);
    std::error_code ec;
    const fs::file_status present = fs::symlink_status(native, ec);
    // A link, device or pipe at FILE is never replaced by the export, whatever /y says.
    if (fs::exists(present) && !fs::is_regular_file(present))
        fail("Cannot export to " + file + ": it exists and is not a regular file.");
    if (fs::exists(present) && !confirmed("File " + file + " already exists, overwrite", line.has("y"))) cancelled();
    auto result = reg::exportRegFile(store, {key}, reg::RegFormat::Version5, native);
    if (!result) fail("Cannot export to " + file + ": " + result.error());
    std::printf("%s\n", kDone);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (auto status = platform::answerStandardOptions(argc, argv, "quillon-reg", kUsage)) return *status;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    if (args[0] == "/?" || args[0] == "-?" || args[0] == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        CommandLine line = parseCommandLine(args);
        reg::RegistryStore& store = reg::RegistryStore::forPrefix();
        if (line.operation == "query") return query(store, line);
        if (line.operation == "add") return add(store, line);
        if (line.operation == "delete") return remove(store, line);
        if (line.operation == "import") return import(store, line);
        return exportKey(store, line);
    } catch (const Problem& p) {
        std::fflush(stdout);
        std::fprintf(stderr, "ERROR: %s\n", platform::visibleText(p.message, platform::LineBreaks::Kept).c_str());
    } catch (const reg::StoreError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "ERROR: %s\n", platform::visibleText(e.what(), platform::LineBreaks::Kept).c_str());
    } catch (const platform::prefix::NoHomeFolder& e) {
        std::fprintf(stderr, "ERROR: %s\n", platform::visibleText(e.what(), platform::LineBreaks::Kept).c_str());
    }
    return 1;
}
