// SPDX-License-Identifier: Apache-2.0
// velpack rar from the command line: the listing, the events as lines, and the exit status.
#include "tests/rarace/Rar5Writer.h"
#include "tests/rarace/RarFixture.h"
#include "tests/support/Files.h"
#include "tests/support/Programs.h"

namespace rar_tests {
namespace {

using testing_support::ProgramResult;
using testing_support::treeOf;
using testing_support::writeFile;

class RarCommand : public ::testing::Test {
protected:
    RarCommand() : dir(testing_support::makeTempDirectory("rar-command")) {}
    ~RarCommand() override { fs::remove_all(dir); }

    ProgramResult velpack(const std::vector<std::string>& args) {
        testing_support::RunOptions options;
        options.workingDirectory = dir;
        options.environment = {{"QUILLON_PREFIX", (dir / "prefix").string()}};  // never made: not needed
        options.timeoutSeconds = 60;
        return testing_support::runProgram(testing_support::program("velpack"), args, options);
    }
    fs::path dir;
};

TEST_F(RarCommand, ListsAndExtractsWithoutAPrefix) {
    writeFile(
        dir / "t.rar",
        rar5Archive({{"a.txt", "alpha"}, {"d/b.txt", "beta"}, {"c.txt", "gamma"}, {"\x1b]0;title\x07.txt", "escape"}}));
    ProgramResult list = velpack({"rar", "list", "t.rar"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "a.txt\nd\\b.txt\nc.txt\n^[]0;title^G.txt\n");

    ProgramResult extract = velpack({"rar", "extract", "t.rar", "out", "--files", "a.txt;d\\b.txt", "--password", "p"});
    EXPECT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(extract.out, "Extracting: a.txt\nExtracted: a.txt\nExtracting: d\\b.txt\nExtracted: d\\b.txt\n");
    EXPECT_EQ(treeOf(dir / "out"), (std::vector<std::string>{"a.txt", "d", "d/b.txt"}));

    // No destination: below the working directory.
    ProgramResult here = velpack({"rar", "extract", "t.rar", "--files", "c.txt"});
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_EQ(testing_support::readFile(dir / "c.txt"), "gamma");
}

TEST_F(RarCommand, ExitsWithOneWhenTheArchiveOrAnEntryFails) {
    writeFile(dir / "junk.rar", "junk");
    writeFile(dir / "evil.rar", rar5Archive({{"../up.txt", "x"}, {"ok.txt", "ok"}}));
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;
    } cases[] = {
        {{"rar", "list", "junk.rar"}, 1, ""},
        {{"rar", "list", "missing.rar"}, 1, ""},
        {{"rar", "extract", "junk.rar", "out"}, 1, ""},
        {{"rar", "extract", "evil.rar", "out"},
         1,
         "Extracting: ..\\up.txt\nExtracted: ..\\up.txt (failed)\nExtracting: ok.txt\nExtracted: ok.txt\n"},
        {{"rar", "list"}, 2, ""},
        {{"rar", "extract", "evil.rar", "out", "--files"}, 2, ""},
        {{"rar", "unpack", "evil.rar"}, 2, ""},
    };
    for (const Case& c : cases) {
        ProgramResult result = velpack(c.args);
        EXPECT_EQ(result.status, c.status) << c.args[1] << " " << (c.args.size() > 2 ? c.args[2] : "");
        EXPECT_EQ(result.out, c.out) << c.args[1];
    }
    EXPECT_FALSE(fs::exists(dir / "up.txt"));
    EXPECT_EQ(treeOf(dir / "out"), std::vector<std::string>{"ok.txt"});
}

TEST_F(RarCommand, EncryptedFixtureEntriesMakeTheExtractionFail) {
    SKIP_WITHOUT_RAR_FIXTURES();
    ProgramResult result = velpack(
        {"rar", "extract", fixture("test_read_format_rar4_encrypted.rar").string(), "out", "--password", "password"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Extracted: b.txt (failed)"), std::string::npos) << result.out;
    EXPECT_EQ(treeOf(dir / "out"), (std::vector<std::string>{"a.txt", "c.txt"}));
}

}  // namespace
}  // namespace rar_tests
