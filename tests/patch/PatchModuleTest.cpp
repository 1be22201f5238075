// SPDX-License-Identifier: Apache-2.0
// PatchModule on the real tool libraries of a throwaway prefix: the tool's life on disk, the
// failures A to D with and without their message boxes, paths with blanks, a target in use
// replaced at the next start, the caller's events during the wait, and `velpack patch apply`.
#include <gtest/gtest.h>

#include <fstream>
#include <string_view>

#include "platform/com/Unknown.h"
#include "platform/forms/EventLoop.h"
#include "platform/prefix/Prefix.h"
#include "tests/apatch/PatchData.h"
#include "tests/support/Programs.h"
#include "tests/support/TestHost.h"
#include "tests/support/TestPrefix.h"
#include "velpack/patch/PatchModule.h"

namespace {

namespace fs = std::filesystem;
using apatch_tests::Bytes;
using apatch_tests::readFile;
using apatch_tests::writeFile;
using platform::com::False;
using platform::com::True;
using testing_support::Libraries;

constexpr std::string_view kPatchFailed = "Der Patch konnte nicht installiert werden.";

class PatchModuleTest : public ::testing::Test {
protected:
    PatchModuleTest() {
        fs::create_directories(folder);
        old = apatch_tests::textBytes(100'000, 31);
        patched = apatch_tests::edited(old, 5'000, 32);
        writeFile(folder / "old version.dat", old);
        writeFile(folder / "new version.dat", patched);
        apatch_tests::makePatch(folder / "old version.dat", folder / "new version.dat", folder / "update patch.vcd",
                                {});
        fs::remove(folder / "new version.dat");
    }

    // A shell script as the tool, for runs the real tool cannot show.
    static platform::com::Ptr<velpack::PatchModule> moduleWithScript(const std::string& script,
                                                                     std::chrono::milliseconds limit) {
        static std::string image;
        image = script;
        return platform::com::make<velpack::PatchModule>(
            velpack::PatchToolSettings{{reinterpret_cast<const std::uint8_t*>(image.data()), image.size()}, limit});
    }
    std::vector<std::string> tempFolderFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(prefix / "drive_c/windows/temp"))
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
        return names;
    }

    testing_support::TestPrefix prefix{Libraries::Registered};
    testing_support::TestHost host;
    fs::path folder = prefix / "drive_c/Program Files/Orvane App";
    const std::string target = "C:\\Program Files\\Orvane App\\old version.dat";
    const std::string patch = "C:\\Program Files\\Orvane App\\update patch.vcd";
    Bytes old, patched;
};

TEST_F(PatchModuleTest, TheToolLivesOnDiskFromCreationToRelease) {
    auto module = platform::com::make<velpack::PatchModule>();
    const fs::path tool = platform::prefix::toNative(module->programPath());
    EXPECT_EQ(tool.filename().string().rfind("Patcher", 0), 0u) << tool;
    ASSERT_TRUE(fs::is_regular_file(tool));
    EXPECT_NE(fs::status(tool).permissions() & fs::perms::owner_exec, fs::perms::none);
    module.reset();
    EXPECT_FALSE(fs::exists(tool));
}

TEST_F(PatchModuleTest, PathsWithBlanksArePatchedAtOnce) {
    auto module = platform::com::make<velpack::PatchModule>();
    velpack::Boolean reboot = True;
    EXPECT_EQ(module->ApplyPatch(target, patch, reboot, True, False), True);
    EXPECT_EQ(reboot, False);
    EXPECT_TRUE(readFile(folder / "old version.dat") == patched);
    EXPECT_TRUE(host.messageBoxes().empty());
    module.reset();
    EXPECT_EQ(tempFolderFiles(), std::vector<std::string>{}) << "the tool and the patched output are gone";
}

TEST_F(PatchModuleTest, FailuresShowTheirMessageOnlyWhenAskedAndLeaveRequiresReboot) {
    struct Case {
        const char* name;
        std::function<platform::com::Ptr<velpack::PatchModule>()> module;
        std::string original, patchFile;
        std::string message;  // empty: the program path follows the text of message C
    };
    Bytes otherOld = old;
    otherOld[50'000] ^= 1;
    writeFile(folder / "other.dat", otherOld);
    const auto builtIn = [] { return platform::com::make<velpack::PatchModule>(); };
    const std::vector<Case> cases = {
        {"target missing", builtIn, "C:\\nowhere\\x.dat", patch,
         "Ein Patch konnte nicht installiert werden, weil die zu aktualisierende Datei nicht gefunden wurde "
         "(C:\\nowhere\\x.dat)."},
        {"patch missing", builtIn, target, "C:\\nowhere\\p.vcd",
         "Ein Patch konnte nicht installiert werden, weil die Patch-Datei nicht gefunden wurde (C:\\nowhere\\p.vcd)."},
        {"tool missing",
         [] {
             auto module = platform::com::make<velpack::PatchModule>();
             fs::remove(platform::prefix::toNative(module->programPath()));
             return module;
         },
         target, patch, ""},
        {"patch for another file", builtIn, "C:\\Program Files\\Orvane App\\other.dat", patch,
         std::string(kPatchFailed)},
        {"tool that cannot start", [] { return moduleWithScript("not a program", std::chrono::seconds(60)); }, target,
         patch, std::string(kPatchFailed)},
        {"tool that hangs", [] { return moduleWithScript("#!/bin/sh\nexec sleep 600\n", std::chrono::seconds(1)); },
         target, patch, std::string(kPatchFailed)},
    };
    for (const auto& c : cases) {
        for (const velpack::Boolean showErrors : {True, False}) {
            SCOPED_TRACE(std::string(c.name) + (showErrors ? ", ShowErrors" : ", silent"));
            auto module = c.module();
            const std::size_t boxesBefore = host.messageBoxes().size();
            velpack::Boolean reboot = True;
            EXPECT_EQ(module->ApplyPatch(c.original, c.patchFile, reboot, showErrors, False), False);
            EXPECT_EQ(reboot, True) << "left as the caller passed it";
            EXPECT_TRUE(readFile(folder / "old version.dat") == old);
            for (const auto& name : tempFolderFiles()) EXPECT_EQ(name.rfind("Patched", 0), std::string::npos) << name;
            if (!showErrors) {
                EXPECT_EQ(host.messageBoxes().size(), boxesBefore);
                continue;
            }
            ASSERT_EQ(host.messageBoxes().size(), boxesBefore + 1);
            const auto& box = host.messageBoxes().back();
            EXPECT_EQ(box.title, "Patch-Fehler");
            EXPECT_EQ(box.style, 48);
            const std::string expected =
                c.message.empty() ? "Ein Patch konnte nicht installiert werden, weil das Programm zur Anwendung von "
                                    "Patches nicht verfügbar ist.\r\n\r\n" +
                                        module->programPath()
                                  : c.message;
            EXPECT_EQ(box.text, expected);
        }
    }
}

TEST_F(PatchModuleTest, ATargetInUseIsReplacedAtTheNextStart) {
    auto module = platform::com::make<velpack::PatchModule>();
    velpack::Boolean reboot = False;
    {
        std::ifstream inUse(folder / "old version.dat");
        ASSERT_TRUE(inUse.is_open());
        EXPECT_EQ(module->ApplyPatch(target, patch, reboot, True, False), True);
    }
    EXPECT_EQ(reboot, True);
    EXPECT_TRUE(readFile(folder / "old version.dat") == old) << "untouched until the next start";
    EXPECT_TRUE(host.messageBoxes().empty());

    const auto boot = testing_support::runProgram(testing_support::program("quillon-prefix"), {"boot"});
    ASSERT_EQ(boot.status, 0) << boot.err;
    EXPECT_TRUE(readFile(folder / "old version.dat") == patched);
}

// The patched file is made but cannot take the target's place (here: an immutable target, which
// not even root may rename over): a failure, not a success with the old file left in place.
TEST_F(PatchModuleTest, ATargetThatCannotBeReplacedFails) {
    const fs::path file = folder / "old version.dat";
    const auto chattr = [&](const char* flag) {
        return testing_support::runProgram("/usr/bin/chattr", {flag, file.string()}).status == 0;
    };
    if (!chattr("+i")) GTEST_SKIP() << "this file system or container does not let us make a file immutable";
    struct Mutable {
        std::function<bool(const char*)> chattr;
        ~Mutable() { chattr("-i"); }
    } restore{chattr};

    auto module = platform::com::make<velpack::PatchModule>();
    velpack::Boolean reboot = True;
    EXPECT_EQ(module->ApplyPatch(target, patch, reboot, True, False), False);
    EXPECT_EQ(reboot, True);
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].text, kPatchFailed);
    EXPECT_TRUE(readFile(file) == old);
    for (const auto& name : tempFolderFiles()) EXPECT_EQ(name.rfind("Patched", 0), std::string::npos) << name;
}

// The tool waits until an event of the caller has run, then writes its output: the call
// succeeds only when the caller's events ran during the wait (else the bound ends the tool).
// It also keeps its arguments: the three paths, in short form, without blanks.
TEST_F(PatchModuleTest, TheCallersEventsRunWhileTheToolRunsWithShortPaths) {
    const fs::path flag = prefix / "event-ran";
    const fs::path arguments = prefix / "arguments";
    auto module = moduleWithScript("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + arguments.string() + "'\nwhile [ ! -e '" +
                                       flag.string() + "' ]; do sleep 0.01; done\ncp \"$2\" \"$3\"\n",
                                   std::chrono::seconds(60));
    platform::forms::post([&] { std::ofstream(flag).put('x'); });
    velpack::Boolean reboot = True;
    EXPECT_EQ(module->ApplyPatch(target, patch, reboot, True, False), True);
    EXPECT_EQ(reboot, False);
    EXPECT_TRUE(fs::exists(flag));

    std::ifstream in(arguments);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines) EXPECT_EQ(line.find(' '), std::string::npos) << line;
    EXPECT_TRUE(readFile(lines[0]) == readFile(folder / "update patch.vcd"));
}

TEST_F(PatchModuleTest, TheCommandLineAppliesInPlaceAndTellsAboutTheNextStart) {
    const auto program = testing_support::program("velpack");
    testing_support::RunOptions console;
    console.environment = {{"QUILLON_UI", "console"}};
    const std::string file = (folder / "old version.dat").string();
    const std::string patchFile = (folder / "update patch.vcd").string();

    const auto missing = testing_support::runProgram(program, {"patch", "apply", "no such file", patchFile}, console);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("Patch-Fehler\nEin Patch konnte nicht installiert werden, weil die zu aktualisierende "
                               "Datei nicht gefunden wurde (no such file)."),
              std::string::npos)
        << missing.out;

    const auto applied = testing_support::runProgram(program, {"patch", "apply", file, patchFile}, console);
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_TRUE(readFile(file) == patched);

    const auto again = testing_support::runProgram(program, {"patch", "apply", file, patchFile}, console);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.out.find(kPatchFailed), std::string::npos) << again.out;

    writeFile(file, old);
    std::ifstream inUse(file);
    const auto later = testing_support::runProgram(program, {"patch", "apply", file, patchFile}, console);
    EXPECT_EQ(later.status, 0) << later.err;
    EXPECT_NE(later.out.find("it will be replaced at the next start"), std::string::npos) << later.out;
    EXPECT_TRUE(readFile(file) == old);

    const auto usage = testing_support::runProgram(program, {"patch", "apply", file});
    EXPECT_EQ(usage.status, 2);
}

}  // namespace
