// SPDX-License-Identifier: Apache-2.0
// velpack zip from the command line: the four actions, their progress lines and exit status.
#include <sys/stat.h>
#include <zip.h>

#include <map>

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

TEST_F(ZipCommand, NamesWithControlCharactersAreShownNeverSentRaw) {
    // A file name with an ESC sequence, as a hostile archive or server may have left one. In
    // the archive the name loses its UTF-8 mark (libzip refuses such names marked as UTF-8),
    // so reading it back gives code page 437's pictures of the control characters.
    writeFile(dir / "a\x1b]0;owned\x07.txt", "x");
    const fs::path archive = dir / "esc.zip";
    struct Case {
        std::vector<std::string> args;
        std::string shown;
    };
    for (const Case& c : std::vector<Case>{
             {{"zip", "add", archive.string(), "a\x1b]0;owned\x07.txt"}, "adding: a^[]0;owned^G.txt"},
             {{"zip", "list", archive.string()}, "a\u2190]0;owned\u2022.txt"},
             {{"zip", "extract", archive.string(), (dir / "x").string()}, "a\u2190]0;owned\u2022.txt"},
         }) {
        ProgramResult result = velpack(c.args, dir);
        const std::string all = result.out + result.err;
        EXPECT_EQ(all.find_first_of("\x1b\x07"), std::string::npos) << c.args[1] << ": " << all;
        EXPECT_NE(all.find(c.shown), std::string::npos) << c.args[1] << ": " << all;
    }
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

TEST_F(ZipCommand, AddStoresRelativePathsAsGivenAndStoresWhatDeflateCannotShrink) {
    fs::path work = dir / "work";
    std::string numbers, noise;
    for (int i = 0; i < 2000; ++i) numbers += std::to_string(i) + "\n";
    std::uint32_t x = 12345;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    writeFile(work / "sub dir/numbers.txt", numbers);
    writeFile(work / "d1/f.txt", "one");
    writeFile(work / "d2/f.txt", "two");
    writeFile(work / "top.txt", "top");
    writeFile(work / "e/data.txt", "data");
    writeFile(work / "noise.bin", noise);
    fs::create_directories(work / "e/empty");
    fs::create_directory_symlink("../d1", work / "e/linked");
    fs::path archive = dir / "out.zip";

    ProgramResult add = velpack({"zip", "add", archive.string(), "sub dir/numbers.txt", "d1/f.txt", "d2/f.txt",
                                 "./top.txt", "e", "noise.bin", "--recurse"},
                                work);
    ASSERT_EQ(add.status, 0) << add.err;
    EXPECT_NE(add.err.find("warning: e/linked: a link to a folder: not followed"), std::string::npos) << add.err;
    EXPECT_EQ(runPeer("unzip", {"-t", "-q", archive.string()}).status, 0);

    int error = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    ASSERT_TRUE(z);
    std::map<std::string, std::pair<int, std::uint32_t>> entries;  // name -> method, Unix mode
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(z, static_cast<zip_uint64_t>(i), 0, &system, &attributes);
        entries[st.name] = {st.comp_method, attributes >> 16};
    }
    zip_discard(z);
    std::map<std::string, int> methods;
    for (const auto& [name, entry] : entries) methods[name] = entry.first;
    EXPECT_EQ(methods, (std::map<std::string, int>{{"sub dir/numbers.txt", ZIP_CM_DEFLATE},
                                                   {"d1/f.txt", ZIP_CM_STORE},
                                                   {"d2/f.txt", ZIP_CM_STORE},
                                                   {"top.txt", ZIP_CM_STORE},
                                                   {"e/data.txt", ZIP_CM_STORE},
                                                   {"e/empty/", ZIP_CM_STORE},
                                                   {"noise.bin", ZIP_CM_STORE}}));
    EXPECT_EQ(entries["e/empty/"].second, static_cast<std::uint32_t>(S_IFDIR | 0755));

    ProgramResult none = velpack({"zip", "delete", archive.string(), "nothing*.txt"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no file matched"), std::string::npos) << none.err;
}

}  // namespace
}  // namespace zip_tests
