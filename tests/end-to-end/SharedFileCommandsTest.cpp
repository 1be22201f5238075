// SPDX-License-Identifier: Apache-2.0
// UPDATEDLL, REGDLL, IMPORTREG and PATCH run through `quillon-script run` on the console host,
// one fresh prefix per case: the log lines each script writes, the boxes it shows and how they
// are answered, RebootRequired, and the effects on files, the registry and the RunOnce queue.
// The prefix's regsvr32.exe is replaced by a script that records its calls; regedit.exe is the
// real stand-in, which asks for confirmation on standard input.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>

#include "platform/registry/RegistryStore.h"
#include "quillon/install/SharedFileCommands.h"
#include "quillon/settings/RegistryLayout.h"
#include "tests/apatch/PatchData.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;

const fs::path kPeFixtures = fs::path(QUILLON_SOURCE_DIR) / "tests/fixtures/pe";

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void writeAll(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// One case's prefix and update folder, with the tools a script reaches.
struct Scene {
    testing_support::TestPrefix prefix{testing_support::Libraries::Registered};
    fs::path update = testing_support::makeTempDirectory("shared-file-update");
    fs::path regsvr32Calls = prefix / "regsvr32-calls";
    std::vector<std::ifstream> filesInUse;

    Scene() {
        // Records each call as one line of bracketed arguments, written at once: two calls may run
        // at the same time (one through the shell, one through the runner).
        const fs::path regsvr32 = prefix / "drive_c/windows/system32/regsvr32.exe";
        fs::remove(regsvr32);
        writeAll(regsvr32,
                 "#!/bin/sh\nline=\nfor a in \"$@\"; do line=\"$line[$a]\"; done\nprintf '%s\\n' \"$line\" >> '" +
                     regsvr32Calls.string() + "'\n");
        fs::permissions(regsvr32, fs::perms::owner_all);
    }
    ~Scene() { fs::remove_all(update); }

    fs::path operator/(const std::string& relative) const { return prefix / relative; }
    void holdOpen(const fs::path& path) { filesInUse.emplace_back(path); }

    // The calls of regsvr32 once `count` have come: one of them is started without waiting.
    std::vector<std::string> regsvr32CallsWhenThereAre(std::size_t count) const {
        std::vector<std::string> lines;
        for (int attempt = 0; attempt < 600; ++attempt) {
            lines.clear();
            std::ifstream in(regsvr32Calls);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            if (lines.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return lines;
    }
    static std::vector<reg::NamedValue> runOnceValues() {
        reg::RegistryStore::resetPrefixStore();
        return reg::RegistryStore::forPrefix().values(reg::Hive::LocalMachine, quillon::settings::kRunOnceKey);
    }
};

struct Outcome {
    int status = -1;
    std::vector<std::string> log;  // the lines the run added, the install temp folder shown as {T}
    bool rebootRequired = false;
    std::string boxes;    // standard output before the log: the boxes' titles and texts
    std::string answers;  // standard error: "box STYLE "TITLE" -> ANSWER" per box
};

Outcome runScript(Scene& scene, const std::string& script, const std::string& input) {
    writeAll(scene.update / "aupdate.inf", script);
    testing_support::RunOptions options;
    options.input = input;
    options.environment = {{"QUILLON_UI", "console"}};
    const auto result = testing_support::runProgram(testing_support::program("quillon-script"),
                                                    {"run", scene.update.string(), "Office"}, options);
    Outcome outcome;
    outcome.status = result.status;
    outcome.answers = result.err;
    const std::size_t header = result.out.find("\n=== ");
    EXPECT_NE(header, std::string::npos) << result.out << result.err;
    if (header == std::string::npos) return outcome;
    outcome.boxes = result.out.substr(0, header);
    std::istringstream lines(result.out.substr(result.out.find('\n', header + 1) + 1));
    const std::regex installTemp(R"(C:\\windows\\temp\\[^\\]+)");
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("RebootRequired=")) {
            outcome.rebootRequired = line == "RebootRequired=True";
            break;
        }
        outcome.log.push_back(std::regex_replace(line, installTemp, "{T}"));
    }
    return outcome;
}

const std::string kOld = readAll(kPeFixtures / "lib-1.2.3.4-x86.dll");
const std::string kNewer = readAll(kPeFixtures / "lib-1.2.3.5-x86.dll");
const std::string kUnversioned = readAll(kPeFixtures / "strings-only-x86.dll");
const std::string kRegsvr32Call = "[/s][C:\\Shared\\lib.dll]";
// The registry editor's own boxes (its question, its report) come from the child program.
const std::string kRegistryEditorBox = "\"Registrierungs-Editor\"";

// The file to patch (C:\App\data.bin, holding `installed`) and a patch (C:\Data\update.vcd)
// that xdelta3 made from kPatchOld to kPatchNew.
const std::string kPatchOld = [] {
    const auto bytes = apatch_tests::textBytes(50'000, 41);
    return std::string(bytes.begin(), bytes.end());
}();
const std::string kPatchNew = [] {
    const auto bytes = apatch_tests::edited(apatch_tests::Bytes(kPatchOld.begin(), kPatchOld.end()), 4'000, 42);
    return std::string(bytes.begin(), bytes.end());
}();
// An installed file the patch does not fit: one byte differs from kPatchOld.
const std::string kOtherOld = [] {
    std::string bytes = kPatchOld;
    bytes[25'000] ^= 0x20;
    return bytes;
}();
void placePatch(Scene& s, const std::string& installed) {
    writeAll(s.update / "old", kPatchOld);
    writeAll(s.update / "new", kPatchNew);
    fs::create_directories(s / "drive_c/Data");
    apatch_tests::makePatch(s.update / "old", s.update / "new", s / "drive_c/Data/update.vcd", {});
    fs::remove(s.update / "old");
    fs::remove(s.update / "new");
    writeAll(s / "drive_c/App/data.bin", installed);
}

struct Case {
    const char* name;
    std::function<void(Scene&)> setup;
    std::string script;
    std::string input;
    std::vector<std::string> log;
    bool rebootRequired;
    std::vector<std::string> boxes;  // "box STYLE "TITLE" -> ANSWER", in order
    std::function<void(Scene&, const Outcome&)> effects;
};

TEST(SharedFileCommands, ScriptsAgainstTheirLogLinesAndEffects) {
    const std::string updateDll = "UPDATEDLL C:\\Shared\\lib.dll;%installtemp%\\lib.dll\r\n";
    const std::vector<std::string> registered = {"Registering...", "Registering file C:\\Shared\\lib.dll silently..."};
    auto lines = [](std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const auto sameVersionPlus = kOld + "another build";

    const std::vector<Case> cases = {
        {"UPDATEDLL, target missing: installed through COPY and registered",
         [&](Scene& s) { writeAll(s.update / "lib.dll", kNewer); },
         updateDll,
         "",
         lines({{"--> DLL_Update:", "Installing shared file {T}\\lib.dll to C:\\Shared\\lib.dll (though copy)...",
                 "Copying {T}\\lib.dll to C:\\Shared\\lib.dll...", "Deleting source file:", "Deleting {T}\\lib.dll..."},
                registered}),
         false,
         {},
         [&](Scene& s, const Outcome&) {
             EXPECT_EQ(readAll(s / "drive_c/Shared/lib.dll"), kNewer);
             EXPECT_EQ(s.regsvr32CallsWhenThereAre(2), (std::vector<std::string>{kRegsvr32Call, kRegsvr32Call}));
         }},
        {"UPDATEDLL, older new file: kept installed file, registered again",
         [&](Scene& s) {
             writeAll(s / "drive_c/Shared/lib.dll", kNewer);
             writeAll(s.update / "lib.dll", kOld);
         },
         updateDll,
         "",
         lines({{"--> DLL_Update:", "Updateing shared file C:\\Shared\\lib.dll with new file {T}\\lib.dll...",
                 "Existing file (C:\\Shared\\lib.dll) is newer or same (no update), but file will be re-registered "
                 "anyway",
                 "Deleting source file:", "Deleting {T}\\lib.dll..."},
                registered}),
         false,
         {},
         [&](Scene& s, const Outcome&) {
             EXPECT_EQ(readAll(s / "drive_c/Shared/lib.dll"), kNewer);
             EXPECT_EQ(s.regsvr32CallsWhenThereAre(2).size(), 2u);
         }},
        {"UPDATEDLL, equal versions answered Yes: replaced",
         [&](Scene& s) {
             writeAll(s / "drive_c/Shared/lib.dll", kOld);
             writeAll(s.update / "lib.dll", sameVersionPlus);
         },
         updateDll,
         "j\n",
         lines({{"--> DLL_Update:", "Updateing shared file C:\\Shared\\lib.dll with new file {T}\\lib.dll...",
                 "File version is the same; user prefers replacement.", "Update completed (file was not in use)"},
                registered}),
         false,
         {"box 36 \"Datei erneut installieren\" -> 6"},
         [&](Scene& s, const Outcome& o) {
             EXPECT_EQ(readAll(s / "drive_c/Shared/lib.dll"), sameVersionPlus);
             EXPECT_NE(o.boxes.find("Datei erneut installieren\nDie Datei \"C:\\Shared\\lib.dll\" ist bereits "
                                    "vorhanden und besitzt die gleiche Versionsnummer wie die zu installierende Datei. "
                                    "Möchten Sie die Datei erneut installieren?"),
                       std::string::npos)
                 << o.boxes;
         }},
        {"UPDATEDLL, equal versions answered No: as an older new file",
         [&](Scene& s) {
             writeAll(s / "drive_c/Shared/lib.dll", kOld);
             writeAll(s.update / "lib.dll", sameVersionPlus);
         },
         updateDll,
         "n\n",
         lines({{"--> DLL_Update:", "Updateing shared file C:\\Shared\\lib.dll with new file {T}\\lib.dll...",
                 "File version is the same; user chooses to skip.",
                 "Existing file (C:\\Shared\\lib.dll) is newer or same (no update), but file will be re-registered "
                 "anyway",
                 "Deleting source file:", "Deleting {T}\\lib.dll..."},
                registered}),
         false,
         {"box 36 \"Datei erneut installieren\" -> 7"},
         [&](Scene& s, const Outcome&) { EXPECT_EQ(readAll(s / "drive_c/Shared/lib.dll"), kOld); }},
        {"UPDATEDLL, versions not comparable: told, then asked",
         [&](Scene& s) {
             writeAll(s / "drive_c/Shared/lib.dll", kUnversioned);
             writeAll(s.update / "lib.dll", kOld);
         },
         updateDll,
         "n\n",
         lines({{"--> DLL_Update:", "Updateing shared file C:\\Shared\\lib.dll with new file {T}\\lib.dll...",
                 "File version is the same; user chooses to skip.",
                 "Existing file (C:\\Shared\\lib.dll) is newer or same (no update), but file will be re-registered "
                 "anyway",
                 "Deleting source file:", "Deleting {T}\\lib.dll..."},
                registered}),
         false,
         {"box 48 \"Versionsvergleich\" -> 1", "box 36 \"Datei erneut installieren\" -> 7"},
         [&](Scene&, const Outcome& o) {
             EXPECT_TRUE(std::regex_search(
                 o.boxes,
                 std::regex("Versionsvergleich\nDie Versionen der Dateien\r\nC:\\\\Shared\\\\lib.dll\r\nund\r\n"
                            "C:\\\\windows\\\\temp\\\\[^\\\\]+\\\\lib.dll\r\nkonnte nicht verglichen werden. Es "
                            "wird angenommen, dass sie die gleiche Version besitzen. Sie können im nächsten "
                            "Dialogfeld die weitere Vorgehensweise bestimmen.\n")))
                 << o.boxes;
         }},
        {"UPDATEDLL, two targets in use: replaced at the next start, registrations queued under two names",
         [&](Scene& s) {
             writeAll(s / "drive_c/Shared/lib.dll", kOld);
             writeAll(s / "drive_c/Shared/two.dll", kOld);
             writeAll(s.update / "lib.dll", kNewer);
             writeAll(s.update / "two.dll", kNewer);
             s.holdOpen(s / "drive_c/Shared/lib.dll");
             s.holdOpen(s / "drive_c/Shared/two.dll");
         },
         updateDll + "UPDATEDLL C:\\Shared\\two.dll;%installtemp%\\two.dll\r\n",
         "",
         {"--> DLL_Update:", "Updateing shared file C:\\Shared\\lib.dll with new file {T}\\lib.dll...",
          "Update done, but will need reboot", "File not installed yet -> registering will be queued until reboot",
          "--> DLL_Update:", "Updateing shared file C:\\Shared\\two.dll with new file {T}\\two.dll...",
          "Update done, but will need reboot", "File not installed yet -> registering will be queued until reboot"},
         true,
         {},
         [&](Scene& s, const Outcome&) {
             EXPECT_EQ(readAll(s / "drive_c/Shared/lib.dll"), kOld);
             const auto queued = Scene::runOnceValues();
             ASSERT_EQ(queued.size(), 2u);
             EXPECT_NE(queued[0].name, queued[1].name);
             EXPECT_EQ(queued[0].value.text(), "regsvr32 /s \"C:\\Shared\\lib.dll\"");
             EXPECT_EQ(queued[1].value.text(), "regsvr32 /s \"C:\\Shared\\two.dll\"");
             EXPECT_FALSE(fs::exists(s.regsvr32Calls)) << "nothing registered now";
             s.filesInUse.clear();
             const auto boot = testing_support::runProgram(testing_support::program("quillon-prefix"), {"boot"});
             EXPECT_EQ(boot.status, 0) << boot.err;
             EXPECT_EQ(readAll(s / "drive_c/Shared/lib.dll"), kNewer);
             EXPECT_EQ(readAll(s / "drive_c/Shared/two.dll"), kNewer);
         }},
        {"UPDATEDLL, new file missing",
         [](Scene&) {},
         updateDll,
         "",
         {"--> DLL_Update:", "Error: source file ({T}\\lib.dll) not found"},
         false,
         {},
         [](Scene& s, const Outcome&) { EXPECT_FALSE(fs::exists(s / "drive_c/Shared/lib.dll")); }},
        {"UPDATEDLL, first installation whose copy fails: the new file is kept",
         [&](Scene& s) {
             fs::create_directories(s / "drive_c/Shared/lib.dll");  // a folder where the file should go
             writeAll(s / "drive_c/Data/lib.dll", kNewer);
         },
         "UPDATEDLL C:\\Shared\\lib.dll;C:\\Data\\lib.dll\r\n",
         "",
         {"--> DLL_Update:", "Installing shared file C:\\Data\\lib.dll to C:\\Shared\\lib.dll (though copy)...",
          "Copying C:\\Data\\lib.dll to C:\\Shared\\lib.dll...",
          "...failed (because C:\\Shared\\lib.dll does not exist).",
          "Shared file not installed, so C:\\Data\\lib.dll is NOT deleted and nothing is registered."},
         false,
         {},
         [&](Scene& s, const Outcome&) {
             EXPECT_EQ(readAll(s / "drive_c/Data/lib.dll"), kNewer);
             EXPECT_FALSE(fs::exists(s.regsvr32Calls));
         }},
        {"REGDLL: regsvr32 through the shell and through the runner",
         [](Scene&) {},
         "REGDLL C:\\Shared\\lib.dll\r\n",
         "",
         {"Registering file C:\\Shared\\lib.dll silently..."},
         false,
         {},
         [&](Scene& s, const Outcome&) {
             EXPECT_EQ(s.regsvr32CallsWhenThereAre(2), (std::vector<std::string>{kRegsvr32Call, kRegsvr32Call}));
         }},
        {"IMPORTREG confirmed: imported, then the file is deleted",
         [](Scene& s) {
             writeAll(s / "drive_c/Data/settings.reg",
                      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Orvane\\Imported]\r\n\"Value\"=\"yes\"\r\n");
         },
         "IMPORTREG C:\\Data\\settings.reg\r\n",
         "j\n",
         {"Importing registry file C:\\Data\\settings.reg...",
          "Deleting registry file source:", "Deleting C:\\Data\\settings.reg..."},
         false,
         {},
         [](Scene& s, const Outcome& o) {
             EXPECT_FALSE(fs::exists(s / "drive_c/Data/settings.reg"));
             reg::RegistryStore::resetPrefixStore();
             const auto value =
                 reg::RegistryStore::forPrefix().value(reg::Hive::LocalMachine, "Software\\Orvane\\Imported", "Value");
             ASSERT_TRUE(value.has_value());
             EXPECT_EQ(value->text(), "yes");
             EXPECT_NE(o.boxes.find("C:\\Data\\settings.reg"), std::string::npos) << "regedit asked" << o.boxes;
         }},
        {"IMPORTREG declined: the file is kept and the user told",
         [](Scene& s) {
             writeAll(s / "drive_c/Data/settings.reg",
                      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Orvane\\Imported]\r\n\"Value\"=\"yes\"\r\n");
         },
         "IMPORTREG C:\\Data\\settings.reg\r\n",
         "n\n",
         {"Importing registry file C:\\Data\\settings.reg...", "...failed (showing message)."},
         false,
         {"box 48 \"Fehler beim Import\" -> 1"},
         [](Scene& s, const Outcome& o) {
             EXPECT_TRUE(fs::exists(s / "drive_c/Data/settings.reg"));
             EXPECT_NE(o.boxes.find("Fehler beim Import\nEine Datei konnte nicht korrekt import werden. Bitte "
                                    "importieren Sie die Datei \"C:\\Data\\settings.reg\" manuell in die "
                                    "Registrierung."),
                       std::string::npos)
                 << o.boxes;
         }},
        {"PATCH applied: the patch file is deleted",
         [&](Scene& s) { placePatch(s, kPatchOld); },
         "PATCH C:\\App\\data.bin;C:\\Data\\update.vcd\r\n",
         "",
         {"Patch successfully applied to C:\\App\\data.bin", "Deleting patch module...",
          "Deleting C:\\Data\\update.vcd..."},
         false,
         {},
         [&](Scene& s, const Outcome&) {
             EXPECT_EQ(readAll(s / "drive_c/App/data.bin"), kPatchNew);
             EXPECT_FALSE(fs::exists(s / "drive_c/Data/update.vcd"));
         }},
        {"PATCH of a file in use: applied at the next start",
         [&](Scene& s) {
             placePatch(s, kPatchOld);
             s.holdOpen(s / "drive_c/App/data.bin");
         },
         "PATCH C:\\App\\data.bin;C:\\Data\\update.vcd\r\n",
         "",
         {"Patch successfully applied to C:\\App\\data.bin", "Deleting patch module...",
          "Deleting C:\\Data\\update.vcd..."},
         true,
         {},
         [&](Scene& s, const Outcome&) { EXPECT_EQ(readAll(s / "drive_c/App/data.bin"), kPatchOld); }},
        {"PATCH failing: the patch file is deleted all the same, RebootRequired stays False",
         [&](Scene& s) { placePatch(s, kOtherOld); },
         "PATCH C:\\App\\data.bin;C:\\Data\\update.vcd\r\n",
         "",
         {"Error: could not apply patch to C:\\App\\data.bin", "Deleting patch module...",
          "Deleting C:\\Data\\update.vcd..."},
         false,
         {"box 48 \"Patch-Fehler\" -> 1"},
         [&](Scene& s, const Outcome& o) {
             EXPECT_FALSE(fs::exists(s / "drive_c/Data/update.vcd"));
             EXPECT_NE(o.boxes.find("Patch-Fehler\nDer Patch konnte nicht installiert werden."), std::string::npos);
         }},
        {"PATCH failing after REQUIREREBOOT: RebootRequired stays True",
         [&](Scene& s) { placePatch(s, kOtherOld); },
         "REQUIREREBOOT\r\nPATCH C:\\App\\data.bin;C:\\Data\\update.vcd\r\n",
         "",
         {"(system must be restarted after update has finished)", "Error: could not apply patch to C:\\App\\data.bin",
          "Deleting patch module...", "Deleting C:\\Data\\update.vcd..."},
         true,
         {"box 48 \"Patch-Fehler\" -> 1"},
         [](Scene&, const Outcome&) {}},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        c.setup(scene);
        const Outcome outcome = runScript(scene, c.script, c.input);
        EXPECT_EQ(outcome.status, 0) << outcome.answers;
        EXPECT_EQ(outcome.log, c.log);
        EXPECT_EQ(outcome.rebootRequired, c.rebootRequired);
        std::vector<std::string> boxes;
        std::istringstream answers(outcome.answers);
        for (std::string line; std::getline(answers, line);)
            if (line.starts_with("box ") && line.find(kRegistryEditorBox) == std::string::npos) boxes.push_back(line);
        EXPECT_EQ(boxes, c.boxes) << outcome.answers;
        c.effects(scene, outcome);
    }
}

}  // namespace
