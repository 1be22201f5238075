// SPDX-License-Identifier: Apache-2.0
// Script lines against the exact log lines, message boxes and file and registry effects they
// produce, each case run as a whole install script on real files in a throwaway prefix.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/forms/MessageBox.h"
#include "quillon/install/ScriptCommands.h"
#include "quillon/settings/RegistryLayout.h"
#include "tests/install/InstallFixture.h"
#include "tests/support/ScopedEnvironment.h"

namespace install_tests {
namespace {

namespace answer = platform::forms::answer;

struct Box {
    std::string title;
    std::string text;
    int style;
    bool operator==(const Box&) const = default;
};
void PrintTo(const Box& box, std::ostream* os) {
    *os << box.title << " | " << box.text << " | " << box.style;
}

// A file after the run: its bytes, or nothing when it must not exist.
struct FileAfter {
    std::string path;
    std::optional<std::string> bytes;
};

struct ScriptCase {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files;      // made before the run
    std::vector<std::pair<std::string, std::string>> variables;  // the product's Vars values
    std::string script;
    std::vector<std::string> log;  // the run's lines after the header; "<temp>" is the install temp folder
    std::vector<Box> boxes = {};
    std::vector<FileAfter> after = {};
    std::vector<int> answers = {};
    // Registry values of HKLM\Software\X, for the indirect variables.
    std::vector<std::pair<std::string, std::string>> registry = {};
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name;
}

const Box kCancelled{"Quillon", "Die Installation wurde abgebrochen.", 16};
Box information(const std::string& text) {
    return {"Installationsmeldung", text, 64};
}

const std::vector<ScriptCase> kCases = {
    {"LowerCaseKeywordRunsAndArgumentsKeepTheirCase",
     {{"C:\\Src\\A.txt", "new"}},
     {},
     "copy C:\\Src\\A.txt;C:\\Dst\\Sub\\B.Txt",
     {"Copying C:\\Src\\A.txt to C:\\Dst\\Sub\\B.Txt..."},
     {},
     {{"C:\\Dst\\Sub\\B.Txt", "new"}}},
    {"RemarksAndInstallerVersionWriteNothing",
     {},
     {},
     "Remark: DELETE C:\\x\r\nINSTALLER_VERSION 2.0;beta\r\n\tDELETE C:\\x\r\n DELETE C:\\x",
     {}},
    {"QuotesAroundBlanksGoQuotesWithoutBlanksStay",
     {},
     {},
     "MESSAGE \"  Hallo  \"\r\nMSG \"Hallo\"\r\nMESSAGE   Welt  ",
     {},
     {information("  Hallo  "), information("\"Hallo\""), information("Welt")}},
    {"SemicolonsAlwaysSeparate",
     {},
     {},
     "MESSAGE \"a;b\"\r\nMESSAGE Eins; zwei",
     {},
     {information("\"a"), information("Eins")}},
    {"QuotedSourceWithABlankIsCopied",
     {{"C:\\My Files\\a.txt", "mine"}},
     {},
     "COPY \"C:\\My Files\\a.txt\";C:\\Dst\\a.txt",
     {"Copying C:\\My Files\\a.txt to C:\\Dst\\a.txt..."},
     {},
     {{"C:\\Dst\\a.txt", "mine"}}},
    {"QuotedSourceWithoutABlankKeepsItsQuotesAndFails",
     {{"C:\\Src\\a.txt", "x"}},
     {},
     "COPY \"C:\\Src\\a.txt\";C:\\Dst\\a.txt",
     {"Copying \"C:\\Src\\a.txt\" to C:\\Dst\\a.txt...", "...failed (because C:\\Dst\\a.txt does not exist)."},
     {},
     {{"C:\\Dst\\a.txt", std::nullopt}}},
    {"EmptyAndTrailingArguments",
     {},
     {},
     "SETVER 7;;\r\nWL_ADD C:\\Links\\a.url;http://orvane.example/;",
     {"Setting new version for Office...", "Adding Internet shortcut file C:\\Links\\a.url..."},
     {},
     {{"C:\\Links\\a.url", "[InternetShortcut]\r\nURL=http://orvane.example/\r\n"}}},
    {"VariablesMatchWithTheirCase",
     {{"C:\\Src\\x.dll", "dll"}},
     {{"Dir", "C:\\Prog"}},
     "COPY C:\\Src\\x.dll;%Dir%\\x.dll\r\nDELETE %dir%\\x.dll",
     {"Copying C:\\Src\\x.dll to C:\\Prog\\x.dll...", "Deleting %dir%\\x.dll...", "...failed! Error: File not found"},
     {},
     {{"C:\\Prog\\x.dll", "dll"}}},
    {"VariableWithASemicolonStaysOneArgument",
     {},
     {{" Text ", "eins;zwei"}},
     "MESSAGE %Text%",
     {},
     {information("eins;zwei")}},
    {"InstallTempAndWebLinkFolders",
     {},
     {},
     "WL_ADD %WL%\\Orvane.url;http://orvane.example/\r\nDELETE %installtemp%\\gone\r\nDELETE %InstallTemp%\\gone\r\n"
     "DELETE %INSTALLTEMP%\\gone",
     {"Adding Internet shortcut file C:\\users\\Public\\Favorites\\Web-Links\\Orvane.url...",
      "Deleting <temp>\\gone...", "...failed! Error: File not found", "Deleting <temp>\\gone...",
      "...failed! Error: File not found", "Deleting %INSTALLTEMP%\\gone...", "...failed! Error: File not found"},
     {},
     {{"C:\\users\\Public\\Favorites\\Web-Links\\Orvane.url", "[InternetShortcut]\r\nURL=http://orvane.example/\r\n"}}},
    {"IndirectVariablesReadTheRegistryUnlessTheHiveIsOutOfRange",
     {},
     {{"@Path", "-2147483646 Software\\X"},
      {"@Hex", "&H80000002 Software\\X"},
      {"@Far", "99999999999 Software\\X"},
      {"@Bad", "7 Software\\X"}},
     "MESSAGE %Path%\r\nMESSAGE %Hex%\r\nMESSAGE %Far%\r\nMESSAGE %Bad%",
     {},
     {information("C:\\Indirekt"), information("hex"), information("99999999999 Software\\X"),
      information("7 Software\\X")},
     {},
     {},
     {{"Path", "C:\\Indirekt"}, {"Hex", "hex"}, {"Far", "no"}, {"Bad", "no"}}},
    {"AddOntoAnExistingFileAddsNothing",
     {{"C:\\Src\\a.txt", "new"}, {"C:\\Dst\\a.txt", "old"}},
     {},
     "ADD C:\\Src\\a.txt;C:\\Dst\\a.txt\r\nADD C:\\Src\\a.txt;C:\\Dst\\New\\b.txt\r\nADD C:\\Src\\none;C:\\Dst\\c.txt",
     {"C:\\Dst\\a.txt exists, so it is NOT added.",
      "Adding file C:\\Src\\a.txt to C:\\Dst\\New\\b.txt (because it doesn't exist)...",
      "Adding file C:\\Src\\none to C:\\Dst\\c.txt (because it doesn't exist)...",
      "...failed (because C:\\Dst\\c.txt does not exist)"},
     {},
     {{"C:\\Dst\\a.txt", "old"}, {"C:\\Dst\\New\\b.txt", "new"}, {"C:\\Dst\\c.txt", std::nullopt}}},
    {"CopyOntoAnExistingFileReplacesIt",
     {{"C:\\Src\\a.txt", "new"}, {"C:\\Dst\\a.txt", "old"}},
     {},
     "COPY C:\\Src\\a.txt;C:\\Dst\\a.txt",
     {"Copying C:\\Src\\a.txt to C:\\Dst\\a.txt...",
      "C:\\Dst\\a.txt exists, trying to delete it:", "Deleting C:\\Dst\\a.txt...", "Resuming copy..."},
     {},
     {{"C:\\Dst\\a.txt", "new"}}},
    {"FailedCopyKeepsTheExistingDestination",
     {{"C:\\Dst\\a.txt", "old"}},
     {},
     "COPY C:\\Src\\none.txt;C:\\Dst\\a.txt",
     {"Copying C:\\Src\\none.txt to C:\\Dst\\a.txt...",
      "C:\\Dst\\a.txt exists, trying to delete it:", "Deleting C:\\Dst\\a.txt...", "Resuming copy...",
      "...failed (because C:\\Dst\\a.txt was not produced), so the old file was kept."},
     {},
     {{"C:\\Dst\\a.txt", "old"}}},
    {"MoveCopiesThenDeletesTheSource",
     {{"C:\\Src\\a.txt", "new"}, {"C:\\Dst\\a.txt", "old"}},
     {},
     "MOVE C:\\Src\\a.txt;C:\\Dst\\a.txt",
     {"Moving C:\\Src\\a.txt to C:\\Dst\\a.txt (through copy)...", "Copying C:\\Src\\a.txt to C:\\Dst\\a.txt...",
      "C:\\Dst\\a.txt exists, trying to delete it:", "Deleting C:\\Dst\\a.txt...", "Resuming copy...",
      "Resuming move and deleting old file...", "Deleting C:\\Src\\a.txt...", "Move completed."},
     {},
     {{"C:\\Dst\\a.txt", "new"}, {"C:\\Src\\a.txt", std::nullopt}}},
    {"MoveOntoItselfLosesNothing",
     {{"C:\\Src\\a.txt", "mine"}},
     {},
     "MOVE C:\\Src\\a.txt;C:\\SRC\\A.TXT",
     {"Moving C:\\Src\\a.txt to C:\\SRC\\A.TXT (through copy)...", "Copying C:\\Src\\a.txt to C:\\SRC\\A.TXT...",
      "C:\\SRC\\A.TXT exists, trying to delete it:", "Deleting C:\\SRC\\A.TXT...", "Resuming copy...",
      "...failed (because C:\\SRC\\A.TXT was not produced), so the old file was kept.",
      "Move failed, so C:\\Src\\a.txt is NOT deleted."},
     {},
     {{"C:\\Src\\a.txt", "mine"}}},
    {"MoveOfAMissingSourceDeletesNothing",
     {},
     {},
     "MOVE C:\\Src\\none.txt;C:\\Dst\\a.txt",
     {"Moving C:\\Src\\none.txt to C:\\Dst\\a.txt (through copy)...", "Copying C:\\Src\\none.txt to C:\\Dst\\a.txt...",
      "...failed (because C:\\Dst\\a.txt does not exist).", "Move failed, so C:\\Src\\none.txt is NOT deleted."}},
    {"DeleteTakesWildcardsInTheLastComponent",
     {{"C:\\W\\a1.tmp", "1"},
      {"C:\\W\\A2.TMP", "2"},
      {"C:\\W\\abc.tmp", "3"},
      {"C:\\W\\b.txt", "4"},
      {"C:\\W\\c.tmp\\inner", "5"}},
     {},
     "DEL C:\\w\\a?.tmp\r\nERASE C:\\W\\*.none\r\nKILL C:\\W\\B.*",
     {"Deleting C:\\w\\a?.tmp...", "Deleting C:\\W\\*.none...", "...failed! Error: File not found",
      "Deleting C:\\W\\B.*..."},
     {},
     {{"C:\\W\\a1.tmp", std::nullopt},
      {"C:\\W\\A2.TMP", std::nullopt},
      {"C:\\W\\abc.tmp", "3"},
      {"C:\\W\\b.txt", std::nullopt},
      {"C:\\W\\c.tmp\\inner", "5"}}},
    {"WebLinkWithTwoAndFourArguments",
     {},
     {},
     "WL_ADD C:\\L\\two.url;http://a.example/\r\nWL_ADD C:\\L\\four.url;http://b.example/;C:\\i.ico;3\r\n"
     "WL_ADD C:\\L\\three.url;http://c.example/;C:\\i.ico",
     {"Adding Internet shortcut file C:\\L\\two.url...", "Adding Internet shortcut file C:\\L\\four.url...",
      "Error: WL_ADD needs 4 arguments but was given 3, so nothing was done."},
     {},
     {{"C:\\L\\two.url", "[InternetShortcut]\r\nURL=http://a.example/\r\n"},
      {"C:\\L\\four.url", "[InternetShortcut]\r\nURL=http://b.example/\r\nIconFile=C:\\i.ico\r\nIconIndex=3\r\n"},
      {"C:\\L\\three.url", std::nullopt}}},
    {"WebLinkFolderRemovalIsNotSupportedAndFileRemovalDeletes",
     {{"C:\\L\\Sub\\a.url", "x"}, {"C:\\L\\b.url", "y"}},
     {},
     "WL_RMDIR C:\\L\\Sub\r\nWL_RMV C:\\L\\b.url",
     {"Removing Internet shortcut subdirectory C:\\L\\Sub...", "Error: currently not supported",
      "Removing Internet shortcut file C:\\L\\b.url..."},
     {},
     {{"C:\\L\\Sub\\a.url", "x"}, {"C:\\L\\b.url", std::nullopt}}},
    {"QueryCancelAnsweredOkGoesOn",
     {},
     {},
     "QUERYCANCEL Weiter?\r\nREQUIREREBOOT",
     {"(system must be restarted after update has finished)"},
     {{"Installationsmeldung", "Weiter?", 65}},
     {},
     {answer::Ok}},
    {"QueryCancelAnsweredCancelStops",
     {},
     {},
     "QUERYCANCEL Weiter?\r\nREBOOTREQUIRED",
     {},
     {{"Installationsmeldung", "Weiter?", 65}, kCancelled},
     {},
     {answer::Cancel}},
    {"TooFewArgumentsDoNothing",
     {{"C:\\Src\\a.txt", "x"}},
     {},
     "COPY C:\\Src\\a.txt\r\nMESSAGE\r\nSETVER 1;2\r\nMOVE C:\\Src\\a.txt",
     {"Error: COPY needs 2 arguments but was given 1, so nothing was done.",
      "Error: MESSAGE needs 1 argument but was given 0, so nothing was done.",
      "Error: SETVER needs 3 arguments but was given 2, so nothing was done.",
      "Error: MOVE needs 2 arguments but was given 1, so nothing was done."},
     {},
     {{"C:\\Src\\a.txt", "x"}}},
    {"ShellDeleteOfAMissingFileLogsTheError",
     {},
     {},
     "SH_DEL C:\\none.txt",
     {"Shell deleting C:\\none.txt...",
      "...failed! Error: File not found: cannot delete C:\\none.txt (No such file or directory)"}},
};

class ScriptLines : public InstallTest, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(ScriptLines, GiveTheirLogLinesAndEffects) {
    const ScriptCase& c = GetParam();
    for (const auto& [path, bytes] : c.files) writeFile(path, bytes);
    for (const auto& [name, data] : c.variables) setVariable("Office", name, data);
    for (const auto& [name, data] : c.registry)
        store().setValue(reg::Hive::LocalMachine, "Software\\X", name, reg::Value::string(data));
    host.answerMessageBoxes(c.answers);

    run(c.script);

    const std::string temp = quillon::toollib::gorslb().SpecialFolder(quillon::toollib::kInstallTempFolderCode, 0, 0);
    std::vector<std::string> expected;
    for (const auto& line : c.log) expected.push_back(quillon::replaceAll(line, "<temp>", temp));
    EXPECT_EQ(runLines(), expected);
    std::vector<Box> boxes;
    for (const auto& box : host.messageBoxes()) boxes.push_back({box.title, box.text, box.style});
    EXPECT_EQ(boxes, c.boxes);
    for (const auto& file : c.after) EXPECT_EQ(readFile(file.path), file.bytes) << file.path;
    EXPECT_FALSE(fs::exists(native(std::string(kUpdateFolder) + "\\aupdate.inf")));
}

INSTANTIATE_TEST_SUITE_P(Table, ScriptLines, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return param.param.name; });

TEST_F(InstallTest, CopyAndMoveLeaveNoSetAsideFilesBehind) {
    writeFile("C:\\Src\\a.txt", "new");
    writeFile("C:\\Dst\\a.txt", "old");
    writeFile("C:\\Dst\\b.txt", "old b");
    run("COPY C:\\Src\\a.txt;C:\\Dst\\a.txt\r\nCOPY C:\\Src\\none;C:\\Dst\\b.txt");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(native("C:\\Dst"))) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(InstallTest, SetVersionWritesTheThreeStringsAndRebootIsRaised) {
    run("SETVER 2;10;0003\r\nREQUIREREBOOT");
    const std::string key = quillon::settings::productKey("Office");
    EXPECT_EQ(store().readText(reg::Hive::LocalMachine, key, "VerMaj", "-"), "2");
    EXPECT_EQ(store().readText(reg::Hive::LocalMachine, key, "VerMin", "-"), "10");
    EXPECT_EQ(store().readText(reg::Hive::LocalMachine, key, "VerRev", "-"), "0003");
    EXPECT_TRUE(quillon::sharedRunState().RebootRequired);
}

TEST_F(InstallTest, ShellDeleteMovesToTheTrash) {
    const fs::path dataHome = prefix / "xdg-data";
    {
        testing_support::ScopedEnvironment trashHome("XDG_DATA_HOME", dataHome.string());
        writeFile("C:\\Prog\\alt.dll", "alt");
        run("SH_DELETE C:\\Prog\\alt.dll");
    }
    EXPECT_EQ(runLines(), std::vector<std::string>{"Shell deleting C:\\Prog\\alt.dll..."});
    EXPECT_EQ(readFile("C:\\Prog\\alt.dll"), std::nullopt);
    EXPECT_TRUE(fs::exists(dataHome / "Trash" / "files" / "alt.dll"));
}

// The product's variables are listed anew for every argument, so a value added between two
// commands is in effect for the second.
TEST_F(InstallTest, VariablesAreReadAnewForEveryCommand) {
    bool cancel = false;
    quillon::ExecuteScriptCommand("MESSAGE", "%Neu%", "Office", cancel);
    setVariable("Office", "Neu", "jetzt da");
    quillon::ExecuteScriptCommand("MESSAGE", "%Neu%", "Office", cancel);
    ASSERT_EQ(host.messageBoxes().size(), 2u);
    EXPECT_EQ(host.messageBoxes()[0].text, "%Neu%");
    EXPECT_EQ(host.messageBoxes()[1].text, "jetzt da");
    EXPECT_FALSE(cancel);
}

}  // namespace
}  // namespace install_tests
