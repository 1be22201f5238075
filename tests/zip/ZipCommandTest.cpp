// velpack zip from the command line: the four actions, their progress lines and exit status.
#include "tests/support/Programs.h"
#include "tests/zip/ZipFixture.h"

namespace zip_tests {
namespace {

using testing_support::program;
using testing_support::ProgramResult;

ProgramResult velpack(const std::vector<std::string>& args, const fs::path& cwd = {}) {
    testing_support::RunOptions options;
    options.workingDirectory = cwd;
    options.timeoutSeconds = 60;
    return testing_support::runProgram(program("velpack"), args, options);
}

class ZipCommand : public ScratchTest {};

TEST_F(ZipCommand, AddListExtractDeleteRoundTrip) {
    writeFile(dir / "tree/a.txt", "alpha");
    writeFile(dir / "tree/sub/b.bin", std::string(1000, 'b'));
    writeFile(dir / "tree/sub/c.log", "log");
    fs::path archive = dir / "out.zip";

    ProgramResult add = velpack({"zip", "add", archive.string(), "tree", "--recurse", "--level", "3"}, dir);
    ASSERT_EQ(add.status, 0) << add.err;
    EXPECT_NE(add.out.find("added: tree/sub/b.bin (1000 -> "), std::string::npos) << add.out;
    EXPECT_EQ(runPeer("unzip", {"-t", "-q", archive.string()}).status, 0);

    ProgramResult list = velpack({"zip", "list", archive.string()});
    ASSERT_EQ(list.status, 0) << list.err;
    for (const char* name : {"tree/a.txt", "tree/sub/b.bin", "tree/sub/c.log"})
        EXPECT_NE(list.out.find(name), std::string::npos) << name << "\n" << list.out;

    ProgramResult extract =
        velpack({"zip", "extract", archive.string(), (dir / "x").string(), "--include", "*.bin", "--include", "a.*"});
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_NE(extract.out.find("extracted: tree/a.txt (5 bytes)"), std::string::npos) << extract.out;
    EXPECT_EQ(treeOf(dir / "x"), (std::vector<std::string>{"tree", "tree/a.txt", "tree/sub", "tree/sub/b.bin"}));

    ProgramResult del = velpack({"zip", "delete", archive.string(), "*.log", "a.txt"});
    ASSERT_EQ(del.status, 0) << del.err;
    EXPECT_NE(del.out.find("deleted: tree/sub/c.log"), std::string::npos) << del.out;
    list = velpack({"zip", "list", archive.string()});
    EXPECT_EQ(list.out.find("c.log"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("tree/sub/b.bin"), std::string::npos) << list.out;
}

TEST_F(ZipCommand, FailsWithTheReasonWhenTheArchiveOrAnEntryFails) {
    writeFile(dir / "junk.zip", "not an archive");
    ProgramResult list = velpack({"zip", "list", (dir / "junk.zip").string()});
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.err.find("not a ZIP archive"), std::string::npos) << list.err;

    ProgramResult missing = velpack({"zip", "extract", (dir / "missing.zip").string(), (dir / "x").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("archive not found"), std::string::npos) << missing.err;

    buildArchive(dir / "bad.zip", {{Entry::File, "../escape", "x"}, {Entry::File, "ok.txt", "ok"}});
    ProgramResult bad = velpack({"zip", "extract", (dir / "bad.zip").string(), (dir / "y").string()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("../escape: unsafe name"), std::string::npos) << bad.err;
    EXPECT_EQ(treeOf(dir / "y"), std::vector<std::string>{"ok.txt"});

    EXPECT_EQ(velpack({"zip", "add", (dir / "a.zip").string(), "x", "--level", "7"}).status, 2);
    EXPECT_EQ(velpack({"zip", "frobnicate"}).status, 2);
}

}  // namespace
}  // namespace zip_tests
