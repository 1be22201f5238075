// SPDX-License-Identifier: Apache-2.0
// Starting programs: the host's command-line rules, the process runner with a real child,
// and opening through the shell.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "platform/gorsl/gorslb/CommandLine.h"
#include "tests/gorsl/GorslTesting.h"
#include "tests/support/Programs.h"
#include "tests/support/ScopedEnvironment.h"

namespace gorsl_testing {
namespace {

using platform::com::False;
using platform::com::True;

using Arguments = std::vector<std::string>;

TEST(CommandLine, SplitsArgumentsByTheHostsRules) {
    struct Case {
        const char* text;
        Arguments arguments;
    };
    const Case cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"/s x.dll", {"/s", "x.dll"}},
        {"  a\t\tb  ", {"a", "b"}},
        {"/s \"C:\\Program Files\\x.dll\"", {"/s", "C:\\Program Files\\x.dll"}},
        {"a\"b c\"d", {"ab cd"}},                         // quotes group inside a word
        {"\"\" x \"\"", {"", "x", ""}},                   // empty arguments
        {"C:\\dir\\ x", {"C:\\dir\\", "x"}},              // backslashes before no quote are literal
        {"a\\\"b", {"a\"b"}},                             // 1 backslash + quote: a literal quote
        {"a\\\\\"b c\"", {"a\\b c"}},                     // 2 backslashes + quote: one backslash, grouping
        {"a\\\\\\\"b", {"a\\\"b"}},                       // 3 backslashes + quote: one backslash, a quote
        {"\"C:\\dir\\\\\" next", {"C:\\dir\\", "next"}},  // a quoted folder ending in a backslash
        {"\"say \"\"hi\"\"\" x", {"say \"hi\"", "x"}},    // doubled quotes inside quotes
        {"\"unterminated arg", {"unterminated arg"}},
    };
    for (const auto& c : cases) EXPECT_EQ(gorsl::splitArguments(c.text), c.arguments) << c.text;
}

TEST(CommandLine, TakesTheProgramOffAWholeLine) {
    auto line = gorsl::splitCommandLine("regsvr32 /s \"C:\\Program Files\\Orvane\\x.dll\"");
    EXPECT_EQ(line.program, "regsvr32");
    EXPECT_EQ(line.arguments, (Arguments{"/s", "C:\\Program Files\\Orvane\\x.dll"}));
    line = gorsl::splitCommandLine("\"C:\\Program Files\\a\\\\b.exe\" \"x y\"");
    EXPECT_EQ(line.program, "C:\\Program Files\\a\\\\b.exe");  // no escapes in the program name
    EXPECT_EQ(line.arguments, (Arguments{"x y"}));
    EXPECT_EQ(gorsl::splitCommandLine("").program, "");
}

// The child: this test binary again, started with arbitrary arguments. Before any test runs,
// it writes its own command line, one argument a line, to GORSL_CHILD_ARGS and ends with the
// status GORSL_CHILD_STATUS.
[[maybe_unused]] const bool childActed = [] {
    const char* output = std::getenv("GORSL_CHILD_ARGS");
    if (!output) return false;
    std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    {
        std::ofstream out(std::string(output) + ".part");
        std::size_t start = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i] != '\0') continue;
            out << all.substr(start, i - start) << "\n";
            start = i + 1;
        }
    }
    std::rename((std::string(output) + ".part").c_str(), output);
    const char* status = std::getenv("GORSL_CHILD_STATUS");
    std::_Exit(status ? std::atoi(status) : 0);
}();

class Programs : public RegisteredPrefix {
protected:
    void SetUp() override {
        // The child program placed in the prefix under a Windows name with a blank in its folder.
        fs::create_directories(native("C:\\Program Files\\Probe"));
        fs::create_symlink(testing_support::selfExecutable(), native("C:\\Program Files\\Probe") / "probe.exe");
    }
    // The arguments the child was given (its program path left out).
    Arguments childArguments() {
        std::ifstream in(output);
        Arguments lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }
    const fs::path output = prefix / "child-args.txt";
    testing_support::ScopedEnvironment childArgs{"GORSL_CHILD_ARGS", output.string()};
    testing_support::ScopedEnvironment childStatus{"GORSL_CHILD_STATUS", std::nullopt};
    testing_support::ScopedEnvironment openCommand{"QUILLON_OPEN_COMMAND", std::nullopt};
    Ptr<gorsl::IProcessRunner> runner = platform::com::createObject<gorsl::IProcessRunner>(gorsl::kProcessRunnerProgId);
};

TEST_F(Programs, RunnerWaitsForTheProgramAndPassesItsArguments) {
    EXPECT_EQ(runner->Run("C:\\Program Files\\Probe\\probe.exe", 0, 1, 0,
                          "/s \"C:\\Program Files\\Orvane\\x y.dll\" a\\\"b \"\"", 4, 3, 2),
              True);
    // Written before Run returned: the runner waited.
    EXPECT_EQ(childArguments(), (Arguments{"/s", "C:\\Program Files\\Orvane\\x y.dll", "a\"b", ""}));
}

TEST_F(Programs, RunnerIsTrueOnlyForStatusZero) {
    childStatus.set("3");
    EXPECT_EQ(runner->Run("C:\\Program Files\\Probe\\probe.exe", 0, 1, 0, "", 4, 3, 2), False);
    EXPECT_TRUE(fs::exists(output));  // it did run
    EXPECT_EQ(runner->Run("C:\\Program Files\\Probe\\missing.exe", 0, 1, 0, "", 4, 3, 2), False);
    // ".exe" is found without being written, as the host does.
    childStatus.set("0");
    EXPECT_EQ(runner->Run("c:\\program files\\probe\\PROBE", 0, 1, 0, "", 4, 3, 2), True);
}

TEST_F(Programs, RunsTheRegsvr32StandInOfTheSystemFolder) {
    // What REGDLL runs: the stand-in that quillon-prefix init placed, on a real server library.
    const std::string regsvr32 = system->SpecialFolder(37, 0, 0) + "\\regsvr32.exe";
    const fs::path library = std::filesystem::path(QUILLON_LIB_DIR) / "Gorsla.so";
    EXPECT_EQ(runner->Run(regsvr32, 0, 1, 0, "/s \"" + library.string() + "\"", 4, 3, 2), True);
    EXPECT_EQ(runner->Run(regsvr32, 0, 1, 0, "/s \"C:\\missing.dll\"", 4, 3, 2), False);
}

TEST_F(Programs, ShellStartsProgramsDirectlyWithTheirParameters) {
    EXPECT_EQ(system->ShellOpen("C:\\Program Files\\Probe\\probe.exe", 0, "", "/s \"a b\"", "", 1), True);
    ASSERT_TRUE(waitForFile(output));
    EXPECT_EQ(childArguments(), (Arguments{"/s", "a b"}));

    // A bare name is looked for in the System folder, as "regsvr32" is.
    fs::remove(output);
    fs::create_symlink(testing_support::selfExecutable(), native("C:\\windows\\system32\\probe2.exe"));
    EXPECT_EQ(system->ShellOpen("probe2", 0, "", "x", "", 1), True);
    ASSERT_TRUE(waitForFile(output));
    EXPECT_EQ(childArguments(), (Arguments{"x"}));
}

TEST_F(Programs, ShellHandsDocumentsAndAddressesToTheOpener) {
    // A recorder in place of xdg-open: it writes what it was asked to open.
    const fs::path opened = prefix / "opened.txt";
    const fs::path recorder = prefix / "recorder.sh";
    writeFile(recorder, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + opened.string() + ".part' && mv '" + opened.string() +
                            ".part' '" + opened.string() + "'\n");
    fs::permissions(recorder, fs::perms::owner_all);
    openCommand.set(recorder.string());

    EXPECT_EQ(system->ShellOpen("https://example.org/update?id=1&x=2", 0, "", "", "", 1), True);
    ASSERT_TRUE(waitForFile(opened));
    EXPECT_EQ(readFile(opened), "https://example.org/update?id=1&x=2\n");

    fs::remove(opened);
    writeFile(native("C:\\Program Files\\Orvane\\Read Me.txt"), "text");
    fs::permissions(native("C:\\Program Files\\Orvane\\Read Me.txt"), fs::perms::owner_all);  // still a document
    EXPECT_EQ(system->ShellOpen("C:\\Program Files\\Orvane\\Read Me.txt", 0, "open", "", "", 1), True);
    ASSERT_TRUE(waitForFile(opened));
    EXPECT_EQ(readFile(opened), native("C:\\Program Files\\Orvane\\Read Me.txt").string() + "\n");

    EXPECT_EQ(system->ShellOpen("C:\\Program Files\\Orvane\\missing.txt", 0, "", "", "", 1), False);
    EXPECT_EQ(system->ShellOpen("C:\\Program Files\\Orvane\\Read Me.txt", 0, "print", "", "", 1), False);
}

}  // namespace
}  // namespace gorsl_testing
