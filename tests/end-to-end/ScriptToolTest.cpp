// SPDX-License-Identifier: Apache-2.0
// quillon-script as a program with the console host: a run of an update folder as the wizard
// runs it, its exit statuses, and the check of a script without running it.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "platform/registry/RegistryStore.h"
#include "quillon/ModMain.h"
#include "quillon/settings/RegistryLayout.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;
using testing_support::ProgramResult;

class ScriptTool : public ::testing::Test {
protected:
    ScriptTool() : folder(testing_support::makeTempDirectory("quillon-update")) {}
    ~ScriptTool() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    ProgramResult tool(const std::vector<std::string>& args, const std::string& input = {}) {
        testing_support::RunOptions options;
        options.input = input;
        options.environment = {{"QUILLON_UI", "console"}, {"QUILLON_PREFIX", prefix.root().string()}};
        reg::RegistryStore::resetPrefixStore();
        return testing_support::runProgram(testing_support::program("quillon-script"), args, options);
    }
    void write(const fs::path& path, const std::string& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    testing_support::TestPrefix prefix{testing_support::Libraries::Registered};
    fs::path folder;
};

const std::string kScript =
    "MESSAGE \"Willkommen  zum Update\"\r\n"
    "QUERYCANCEL Weiter?\r\n"
    "COPY %installtemp%\\neu.txt;C:\\Programme\\Orvane\\neu.txt\r\n"
    "REQUIREREBOOT\r\n";

TEST_F(ScriptTool, RunExecutesACopyOfTheFolderAndPrintsTheLogLines) {
    write(folder / "aupdate.inf", kScript);
    write(folder / "neu.txt", "neu");
    auto result = tool({"run", folder.string(), "Orvane Office"}, "ok\n");
    EXPECT_EQ(result.status, 0) << result.err;
    const std::regex expected(
        "Installationsmeldung\nWillkommen  zum Update\n"
        "Installationsmeldung\nWeiter\\?\n"
        "\n=== PROTOKOLL VON .+ UNTER .+ ===\n"
        "Copying C:\\\\windows\\\\temp\\\\[^\\\\]+\\\\neu.txt to C:\\\\Programme\\\\Orvane\\\\neu.txt...\n"
        "\\(system must be restarted after update has finished\\)\n"
        "RebootRequired=True\n");
    EXPECT_TRUE(std::regex_match(result.out, expected)) << result.out;
    EXPECT_NE(result.err.find("box 65 \"Installationsmeldung\" -> 1"), std::string::npos) << result.err;
    std::ifstream copied(prefix / "drive_c/Programme/Orvane/neu.txt");
    EXPECT_TRUE(copied.good());
    EXPECT_TRUE(fs::exists(folder / "aupdate.inf"));  // the folder is left as it was
    std::ifstream log(prefix / "drive_c/Program Files/Common Files/Orvane/InstallLogs/UpdateLog Orvane Office.txt");
    EXPECT_TRUE(log.good());
}

TEST_F(ScriptTool, RunCancelledOrWithoutScript) {
    write(folder / "aupdate.inf", kScript);
    auto cancelled = tool({"run", folder.string(), "Office"}, "a\n");
    EXPECT_EQ(cancelled.status, 3) << cancelled.err;
    EXPECT_NE(cancelled.out.find("Quillon\nDie Installation wurde abgebrochen.\n"), std::string::npos) << cancelled.out;
    EXPECT_TRUE(cancelled.out.ends_with(" ===\nRebootRequired=False\n")) << cancelled.out;

    fs::remove(folder / "aupdate.inf");
    auto missing = tool({"run", folder.string(), "Office"});
    EXPECT_EQ(missing.status, 1) << missing.err;
    EXPECT_EQ(missing.out,
              "Update-Fehler\nDas Update lieferte keine Informationen zur automatischen Installation.\n"
              "RebootRequired=False\n");
}

TEST_F(ScriptTool, CheckReportsEachFindingWithItsLineNumber) {
    auto& store = reg::RegistryStore::forPrefix();
    store.setValue(reg::Hive::LocalMachine, std::string(quillon::settings::kBaseKey) + "\\Products\\Office\\Vars",
                   "Dir", reg::Value::string("C:\\Prog"));
    write(folder / "a.inf",
          "Bemerkung zum Update\r\n"
          " COPY a;b\r\n"
          "COPY \"C:\\x.dll\";%Dir%\\x.dll\r\n"
          "SETVER 1;2\r\n"
          "MSG %dir% in %windir%\\%installtemp%\r\n"
          "CANCEL\r\n"
          "DELETE C:\\x\nDELETE C:\\y\r\n");
    auto result = tool({"check", (folder / "a.inf").string(), "--product", "Office"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.out,
              "1: \"BEMERKUNG\" is not a command; the line is skipped as a remark\n"
              "2: the line begins with a blank, so its keyword is empty and the line is skipped as a remark\n"
              "3: argument 1 \"C:\\x.dll\" keeps its double quotes, since no blank lies between them\n"
              "4: SETVER needs 3 arguments but is given 2, so it will do nothing\n"
              "5: %dir% is no variable of the product and stays as it is\n"
              "7: a lone LF ends no line (only CR LF and a lone CR do), so the text around it is read as one line\n"
              "7: DELETE never runs: the script is cancelled on line 6\n");

    write(folder / "b.inf", "COPY \"C:\\a b\\x.dll\";%Dir%\\x.dll\rINSTALLER_VERSION 2");
    auto clean = tool({"check", (folder / "b.inf").string(), "--product", "Office"});
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.out, "");

    auto unreadable = tool({"check", (folder / "none.inf").string()});
    EXPECT_EQ(unreadable.status, 2);
}

}  // namespace
