// SPDX-License-Identifier: Apache-2.0
// Gorslb's special folders, names, deletion, short paths, placeholders and system
// description, through the registered library.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/forms/MessageBox.h"
#include "tests/gorsl/GorslTesting.h"
#include "tests/support/Programs.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestHost.h"

namespace gorsl_testing {
namespace {

using testing_support::runProgram;
using testing_support::selfExecutable;

class System : public RegisteredPrefix {};

// In a child run of this test binary: `work` reports its lines to the file named by
// GORSL_CHILD_OUTPUT, and the child then ends normally, running the libraries' clean-up.
bool runAsChild(const std::function<std::vector<std::string>()>& work) {
    const char* output = std::getenv("GORSL_CHILD_OUTPUT");
    if (!output) return false;
    std::ofstream out(output);
    for (const auto& line : work()) out << line << "\n";
    return true;
}

std::vector<std::string> linesFromChild(const std::string& test, const fs::path& output) {
    testing_support::RunOptions options;
    options.environment = {{"GORSL_CHILD_OUTPUT", output.string()}};
    auto result = runProgram(selfExecutable(), {"--gtest_filter=" + test}, options);
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    std::vector<std::string> lines;
    std::ifstream in(output);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(System, NamesTheSpecialFoldersOfThePrefix) {
    struct Case {
        std::int32_t code;
        const char* path;
    };
    const Case cases[] = {{6, "C:\\users\\Public\\Favorites"},
                          {36, "C:\\windows"},
                          {37, "C:\\windows\\system32"},
                          {38, "C:\\Program Files"},
                          {43, "C:\\Program Files\\Common Files"}};
    for (const auto& c : cases) {
        EXPECT_EQ(system->SpecialFolder(c.code, 0, 0), c.path);
        EXPECT_TRUE(fs::is_directory(native(c.path))) << c.path;
    }
    EXPECT_EQ(errorNumberOf([&] { system->SpecialFolder(99, 0, 0); }), 5);
}

TEST_F(System, GivesOneFreshInstallTempFolderPerRun) {
    const std::string folder = system->SpecialFolder(1003, 0, 0);
    EXPECT_EQ(folder.rfind("C:\\windows\\temp\\", 0), 0u) << folder;
    EXPECT_EQ(folder.find(' '), std::string::npos);
    ASSERT_TRUE(fs::is_directory(native(folder)));
    EXPECT_TRUE(fs::is_empty(native(folder)));
    writeFile(native(folder + "\\aupdate.inf"), "MESSAGE hi");
    EXPECT_EQ(system->SpecialFolder(1003, 0, 0), folder);
    // Another object of the library in the same run, as the component makes one.
    auto other = platform::com::createObject<gorsl::IGorslb>(gorsl::kGorslbProgId);
    EXPECT_EQ(other->SpecialFolder(1003, 0, 0), folder);
    fs::remove_all(native(folder));  // even when something removed it, the run keeps its folder
    EXPECT_EQ(system->SpecialFolder(1003, 0, 0), folder);
    EXPECT_TRUE(fs::is_directory(native(folder)));
}

TEST_F(System, RemovesTheInstallTempFolderWhenTheProgramEnds) {
    if (runAsChild([&] {
            const std::string folder = system->SpecialFolder(1003, 0, 0);
            writeFile(native(folder + "\\payload.dll"), "x");
            return std::vector<std::string>{folder};
        }))
        return;
    auto lines = linesFromChild("System.RemovesTheInstallTempFolderWhenTheProgramEnds", prefix / "child.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(fs::exists(native(lines[0]))) << lines[0];
    EXPECT_TRUE(fs::is_directory(native("C:\\windows\\temp")));
    EXPECT_NE(system->SpecialFolder(1003, 0, 0), lines[0]);  // this run has a folder of its own
}

TEST_F(System, ClearsAwayFoldersOfRunsThatDiedButNotOfLiveOnes) {
    const fs::path temp = native("C:\\windows\\temp");
    writeFile(temp / "Install-dead" / "left.dll", "x");  // no process holds its lock
    fs::create_directories(temp / "Install-alive");
    int held = ::open((temp / "Install-alive").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    writeFile(temp / "Other-folder" / "keep.txt", "x");

    system->SpecialFolder(1003, 0, 0);
    EXPECT_FALSE(fs::exists(temp / "Install-dead"));
    EXPECT_TRUE(fs::exists(temp / "Install-alive"));
    EXPECT_TRUE(fs::exists(temp / "Other-folder" / "keep.txt"));
    ::close(held);
}

TEST_F(System, NeverRepeatsTemporaryOrUniqueNames) {
    auto names = [&] {
        std::vector<std::string> out;
        for (int i = 0; i < 200; ++i) out.push_back(system->TempFileName("Quillon"));
        for (int i = 0; i < 200; ++i) out.push_back(system->UniqueName());
        return out;
    };
    if (runAsChild(names)) return;
    std::vector<std::string> mine = names();
    for (std::size_t i = 0; i < 200; ++i) {
        EXPECT_EQ(mine[i].rfind("C:\\windows\\temp\\Quillon", 0), 0u) << mine[i];
        EXPECT_FALSE(fs::exists(native(mine[i])));
    }
    auto theirs = linesFromChild("System.NeverRepeatsTemporaryOrUniqueNames", prefix / "child.txt");
    ASSERT_EQ(theirs.size(), 400u);
    std::set<std::string> all(mine.begin(), mine.end());
    all.insert(theirs.begin(), theirs.end());
    EXPECT_EQ(all.size(), 800u);
}

TEST_F(System, MakesTemporaryNamesFitForFiles) {
    const std::string name = system->TempFileName("a/b:c*");
    EXPECT_EQ(name.rfind("C:\\windows\\temp\\a_b_c_-", 0), 0u) << name;
    EXPECT_EQ(system->TempFileName("").rfind("C:\\windows\\temp\\tmp-", 0), 0u);
    writeFile(native(name), "usable");
    EXPECT_EQ(readFile(native(name)), "usable");
}

TEST_F(System, DeletesFilesAndToleratesMissingOnes) {
    writeFile(native("C:\\data\\x.txt"), "x");
    system->DeleteFile("C:\\data\\x.txt");
    EXPECT_FALSE(fs::exists(native("C:\\data\\x.txt")));
    EXPECT_NO_THROW(system->DeleteFile("C:\\data\\x.txt"));
    EXPECT_NO_THROW(system->DeleteFile("C:\\no\\folder\\x.txt"));
    EXPECT_EQ(errorNumberOf([&] { system->DeleteFile("C:\\data"); }), 75);
    EXPECT_TRUE(fs::is_directory(native("C:\\data")));
}

class ShellDelete : public System {
protected:
    fs::path trash() const { return trashHome_ / "Trash"; }
    const fs::path trashHome_ = prefix / "xdg-data";
    testing_support::ScopedEnvironment dataHome_{"XDG_DATA_HOME", trashHome_.string()};
};

TEST_F(ShellDelete, MovesToTheTrashWithWhatItTakesToRestore) {
    writeFile(native("C:\\Program Files\\Orvane\\old tool.exe"), "old");
    system->ShellDelete("C:\\Program Files\\Orvane\\old tool.exe", 80, 0);
    EXPECT_FALSE(fs::exists(native("C:\\Program Files\\Orvane\\old tool.exe")));
    EXPECT_EQ(readFile(trash() / "files" / "old tool.exe"), "old");
    std::string info = readFile(trash() / "info" / "old tool.exe.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
    // Where it came from, as its real native path, %-escaped.
    const std::string real = fs::canonical(native("C:\\Program Files\\Orvane")).string() + "/old tool.exe";
    std::string expectedPath;
    for (char c : real) expectedPath += c == ' ' ? std::string("%20") : std::string(1, c);
    EXPECT_NE(info.find("Path=" + expectedPath + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("\nDeletionDate="), std::string::npos) << info;

    writeFile(native("C:\\Program Files\\Orvane\\old tool.exe"), "older");  // same name again
    system->ShellDelete("C:\\Program Files\\Orvane\\old tool.exe", 80, 0);
    EXPECT_EQ(readFile(trash() / "files" / "old tool.exe.2"), "older");
    EXPECT_TRUE(fs::exists(trash() / "info" / "old tool.exe.2.trashinfo"));
}

TEST_F(ShellDelete, TakesWildcardsFoldersAndReportsWhatIsMissing) {
    writeFile(native("C:\\logs\\a.log"), "a");
    writeFile(native("C:\\logs\\B.LOG"), "b");
    writeFile(native("C:\\logs\\keep.txt"), "k");
    writeFile(native("C:\\logs\\old\\x"), "x");
    system->ShellDelete("C:\\logs\\*.log", 80, 0);
    EXPECT_TRUE(fs::exists(trash() / "files" / "a.log"));
    EXPECT_TRUE(fs::exists(trash() / "files" / "B.LOG"));
    EXPECT_TRUE(fs::exists(native("C:\\logs\\keep.txt")));
    system->ShellDelete("C:\\logs\\old", 80, 0);
    EXPECT_EQ(readFile(trash() / "files" / "old" / "x"), "x");

    std::string description;
    EXPECT_EQ(errorNumberOf([&] { system->ShellDelete("C:\\logs\\missing.txt", 80, 0); }, &description), 53);
    EXPECT_NE(description.find("C:\\logs\\missing.txt"), std::string::npos) << description;
    EXPECT_EQ(errorNumberOf([&] { system->ShellDelete("C:\\logs\\*.none", 80, 0); }), 53);

    system->ShellDelete("C:\\logs\\keep.txt", 0x10, 0);  // without undo: gone for good
    EXPECT_FALSE(fs::exists(native("C:\\logs\\keep.txt")));
    EXPECT_FALSE(fs::exists(trash() / "files" / "keep.txt"));
}

TEST_F(System, ShortPathsNameTheSameFileWithoutBlanks) {
    EXPECT_EQ(system->ShortPath("C:\\windows\\temp\\Patched-1.tmp"), "C:\\windows\\temp\\Patched-1.tmp");

    writeFile(native("C:\\Program Files\\Orvane\\Tool\\core.dll"), "in a folder with a blank");
    writeFile(native("C:\\Program Files\\Orvane\\Tool\\my file.dll"), "blank in the name");
    for (const char* path : {"C:\\Program Files\\Orvane\\Tool\\core.dll",
                             "C:\\Program Files\\Orvane\\Tool\\my file.dll", "C:\\Program Files\\Orvane\\Tool"}) {
        const std::string shortForm = system->ShortPath(path);
        EXPECT_EQ(shortForm.find(' '), std::string::npos) << shortForm;
        EXPECT_TRUE(fs::equivalent(native(shortForm), native(path))) << path << " -> " << shortForm;
        EXPECT_EQ(system->ShortPath(path), shortForm);  // the same form every time
    }
    const std::string dll = system->ShortPath("C:\\Program Files\\Orvane\\Tool\\core.dll");
    EXPECT_EQ(dll.substr(dll.size() - 9), "\\core.dll");
    const std::string named = system->ShortPath("C:\\Program Files\\Orvane\\Tool\\my file.dll");
    EXPECT_EQ(named.substr(named.size() - 4), ".dll");  // the extension stays for tools that look at it
    EXPECT_EQ(errorNumberOf([&] { system->ShortPath("C:\\Program Files\\missing.dll"); }), 53);
}

TEST_F(System, ExpandsItsPlaceholdersOnly) {
    struct Case {
        const char* text;
        const char* expanded;
    };
    const Case cases[] = {
        {"%windir%\\regedit.exe", "C:\\windows\\regedit.exe"},
        {"%SystemRoot%;%SYSTEMDIR%\\x.dll", "C:\\windows;C:\\windows\\system32\\x.dll"},
        {"%temp%\\a %TMP%\\b", "C:\\windows\\temp\\a C:\\windows\\temp\\b"},
        {"%ProgramFiles%\\Orvane", "C:\\Program Files\\Orvane"},
        {"%CommonProgramFiles%|%CommonFiles%", "C:\\Program Files\\Common Files|C:\\Program Files\\Common Files"},
        {"%SystemDrive%\\", "C:\\"},
        {"%installtemp%\\x.dll;%Dir%;%WL%", "%installtemp%\\x.dll;%Dir%;%WL%"},  // the script's own
        {"100% %windir%", "100% C:\\windows"},
        {"%a%windir%", "%aC:\\windows"},
        {"no placeholders", "no placeholders"},
    };
    for (const auto& c : cases) EXPECT_EQ(system->ExpandPlaceholders(c.text), c.expanded) << c.text;
}

TEST_F(System, DescribesTheOperatingSystem) {
    std::string prettyName;
    std::ifstream osRelease("/etc/os-release");
    for (std::string line; std::getline(osRelease, line);)
        if (line.rfind("PRETTY_NAME=", 0) == 0) prettyName = line.substr(12);
    if (prettyName.size() >= 2 && prettyName.front() == '"') prettyName = prettyName.substr(1, prettyName.size() - 2);
    const std::string description = system->SystemDescription();
    EXPECT_EQ(description.find('\n'), std::string::npos);
    if (!prettyName.empty()) {
        EXPECT_EQ(description.rfind(prettyName, 0), 0u) << description;
    }
    EXPECT_NE(description.find("(Linux "), std::string::npos) << description;
}

TEST_F(System, AsksAndRestartsThroughTheConfiguredCommand) {
    namespace forms = platform::forms;
    EXPECT_EQ(system->OwnerWindow(), 0);
    const fs::path marker = prefix / "restarted";
    testing_support::ScopedEnvironment restartCommand("QUILLON_RESTART_COMMAND",
                                                      "echo reboot > '" + marker.string() + "'");
    testing_support::TestHost host;
    // Nobody answers: the default is No, and nothing restarts.
    EXPECT_EQ(system->RestartComputer(system->OwnerWindow(), 0, 2), platform::com::False);
    EXPECT_FALSE(fs::exists(marker));
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].style,
              forms::style::YesNo | forms::style::Question | forms::style::DefaultButton2);
    EXPECT_NE(host.messageBoxes()[0].text.find("neu starten?"), std::string::npos);
    host.answerMessageBoxes({forms::answer::Yes, forms::answer::Yes});
    EXPECT_EQ(system->RestartComputer(system->OwnerWindow(), 0, 2), platform::com::True);
    EXPECT_EQ(readFile(marker), "reboot\n");
    restartCommand.set("exit 3");
    EXPECT_EQ(system->RestartComputer(0, 0, 2), platform::com::False);
    EXPECT_EQ(errorNumberOf([&] { system->RestartComputer(0, 0, 1); }), 5);
}

}  // namespace
}  // namespace gorsl_testing
