// SPDX-License-Identifier: Apache-2.0
// regedit: the registry editor stand-in that install scripts start as C:\windows\regedit.exe.
//   regedit FILE...            asks, imports each .reg file and reports the outcome
//   regedit /s FILE...         imports silently
//   regedit /e FILE [KEY]      exports KEY with its subtree (all hives without KEY)
//   regedit /a FILE [KEY]      the same in the older REGEDIT4 form
// Paths may be Windows-style. Exit status 0 only when every file was imported (or the export
// written); declined or failed: 1, with the reason on standard error.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/registry/FullKeyPath.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/RegistryStore.h"
#include "platform/support/StandardOptions.h"
#include "platform/support/TextCase.h"
#include "tools/common/Report.h"

namespace fs = std::filesystem;
namespace reg = platform::registry;

namespace {

constexpr const char* kTitle = "Registrierungs-Editor";
constexpr const char* kUsage =
    "Usage: regedit [/s] FILE...     imports .reg files (/s: without asking and reporting)\n"
    "       regedit /e FILE [KEY]    exports a key (without KEY, everything)\n"
    "       regedit /a FILE [KEY]    exports in the REGEDIT4 format";

enum class Mode { Import, Export, ExportRegedit4 };
enum class Silence { Ask, Silent };

// The script's runner removes the quotes around an argument; a caller that passed them on
// as they stand gets the same meaning.
std::string unquoted(std::string word) {
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') return word.substr(1, word.size() - 2);
    return word;
}

int usage() {
    tools::report(kTitle, kUsage, tools::ReportKind::Error, true);
    return 1;
}

void failed(const std::string& text, Silence silence) {
    tools::report(kTitle, text, tools::ReportKind::Error, silence == Silence::Silent);
}

bool importOne(reg::RegistryStore& store, const std::string& file, Silence silence) {
    fs::path native = platform::prefix::toNative(file);
    std::error_code ec;
    if (!fs::is_regular_file(native, ec)) {
        failed("Die Datei \"" + file + "\" kann nicht importiert werden: Die Datei wurde nicht gefunden.", silence);
        return false;
    }
    if (silence == Silence::Ask && tools::ask(kTitle,
                                              "Möchten Sie die in \"" + file +
                                                  "\" enthaltenen Informationen wirklich zur Registrierung hinzufügen?",
                                              tools::Answer::No) == tools::Answer::No) {
        // Declining is the user's own choice: no message box, only the reason for scripts.
        tools::report(kTitle, "Der Import von \"" + file + "\" wurde abgelehnt; die Registrierung bleibt unverändert.",
                      tools::ReportKind::Error, true);
        return false;
    }
    auto result = reg::importRegFile(store, native);
    if (!result) {
        failed("Die Datei \"" + file + "\" kann nicht importiert werden; die Registrierung bleibt unverändert.\n\n" +
                   result.error(),
               silence);
        return false;
    }
    tools::report(kTitle,
                  "Die in \"" + file +
                      "\" enthaltenen Schlüssel und Werte wurden erfolgreich zur Registrierung "
                      "hinzugefügt.",
                  tools::ReportKind::Information, silence == Silence::Silent);
    return true;
}

int exportTo(reg::RegistryStore& store, const std::string& file, const std::optional<std::string>& keyText,
             reg::RegFormat format) {
    std::vector<reg::FullKeyPath> keys;
    if (keyText) {
        auto key = reg::parseFullKeyPath(*keyText);
        if (!key) {
            failed("Der Schlüssel \"" + *keyText +
                       "\" beginnt nicht mit HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
                       "HKEY_LOCAL_MACHINE oder HKEY_USERS.",
                   Silence::Silent);
            return 1;
        }
        if (!store.keyExists(key->hive, key->path)) {
            failed("Der Schlüssel \"" + *keyText + "\" ist nicht vorhanden.", Silence::Silent);
            return 1;
        }
        keys.push_back(*key);
    } else {
        for (reg::Hive hive : reg::kAllHives) keys.push_back({hive, ""});
    }
    auto result = reg::exportRegFile(store, keys, format, platform::prefix::toNative(file));
    if (!result) {
        failed("Die Datei \"" + file + "\" kann nicht geschrieben werden: " + result.error(), Silence::Silent);
        return 1;
    }
    return 0;
}

}  // namespace

int run(int argc, char** argv) {
    Mode mode = Mode::Import;
    Silence silence = Silence::Ask;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        std::string word = unquoted(argv[i]);
        if (word.size() == 2 && (word[0] == '/' || word[0] == '-')) {
            char flag = static_cast<char>(platform::asciiLower(word.substr(1))[0]);
            if (flag == 's')
                silence = Silence::Silent;
            else if (flag == 'e')
                mode = Mode::Export;
            else if (flag == 'a')
                mode = Mode::ExportRegedit4;
            else
                return usage();
            continue;
        }
        words.push_back(word);
    }
    if (words.empty() || (mode != Mode::Import && words.size() > 2)) return usage();

    try {
        reg::RegistryStore& store = reg::RegistryStore::forPrefix();
        if (mode != Mode::Import) {
            std::optional<std::string> key;
            if (words.size() == 2) key = words[1];
            return exportTo(store, words[0], key,
                            mode == Mode::Export ? reg::RegFormat::Version5 : reg::RegFormat::Regedit4);
        }
        bool all = true;
        for (const auto& file : words) all = importOne(store, file, silence) && all;
        return all ? 0 : 1;
    } catch (const reg::StoreError& e) {
        failed(std::string("Fehler beim Zugriff auf die Registrierung: ") + e.what(), silence);
        return 1;
    } catch (const platform::prefix::NoHomeFolder& e) {
        failed(std::string("Fehler beim Zugriff auf die Registrierung: ") + e.what(), silence);
        return 1;
    }
}

int main(int argc, char** argv) {
    if (auto status = platform::answerStandardOptions(argc, argv, "regedit", kUsage)) return *status;
    return tools::runWithMessageBoxes(argc, argv, kTitle, [&] { return run(argc, argv); });
}
