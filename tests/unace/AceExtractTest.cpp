// SPDX-License-Identifier: Apache-2.0
// Extraction through the UnACE functions: the fixtures to their checksum lists, hostile names
// refused with nothing written anywhere, target paths as the archive class passes them, and
// the folder's own links never followed. lstat proves what exists where.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/standins/unace/AceChecksum.h"
#include "platform/standins/unace/UnAce.h"
#include "tests/support/TestPrefix.h"
#include "tests/unace/AceSession.h"
#include "tests/unace/AceWriter.h"

namespace {

namespace fs = std::filesystem;
using namespace unace_test;

bool exists(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every path below `dir`, relative, with "/" between folders.
std::set<std::string> tree(const fs::path& dir) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        out.insert(fs::relative(e.path(), dir).generic_string());
    return out;
}

class AceExtractTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testing_support::makeTempDirectory("unace-extract");
        fs::create_directory(dir_ / "dest");
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string write(const std::string& name, const std::string& bytes) {
        writeBytes(dir_ / name, bytes);
        return (dir_ / name).string();
    }
    std::string dest() const { return (dir_ / "dest").string(); }
    fs::path dir_;
};

TEST_F(AceExtractTest, FixturesExtractToTheirChecksumLists) {
    REQUIRE_ACE_FIXTURES();
    const std::pair<const char*, const char*> archives[] = {
        {"tests.ace.v1/onefile.ace", ""},     {"tests.ace.v1/ALCHT.ACE", ""}, {"tests.ace.v1/Patch.ace", ""},
        {"tests.ace.v1/trps.ace", ""},        {"tests.ace.v1/ZGFX2.ace", ""}, {"tests.ace.v1/zdir.ace", ""},
        {"tests.ace.v1/multivolume.ace", ""}, {"tests.ace.v2/dir2.ace", ""},  {"tests.ace.v2/multivol2.ace", ""},
        {"tests.ace.v2/passwd2.ace", "1234"},
    };
    for (const auto& [name, password] : archives) {
        const fs::path out = dir_ / fs::path(name).filename();
        const fs::path archive = aceFixtures() / name;
        const auto session = runSession(archive.string(), ACE_EXTRACT, out.string(), password);
        ASSERT_EQ(session.openResult, ACE_SUCCESS) << name;
        EXPECT_EQ(session.lastHeaderResult, ACE_END_ARCHIVE) << name;
        for (const auto& e : session.entries) EXPECT_EQ(e.result, ACE_SUCCESS) << name << ": " << e.name;
        const std::string check = "cd '" + out.string() + "' && md5sum --quiet --check '" + archive.string() + ".md5'";
        EXPECT_EQ(std::system(check.c_str()), 0) << name;
        std::ifstream dirs(archive.string() + ".dirs");
        for (std::string line; std::getline(dirs, line);) {
            if (!line.empty()) {
                EXPECT_TRUE(fs::is_directory(out / line)) << name << ": " << line;
            }
        }
    }
}

TEST_F(AceExtractTest, SkippedMembersOfASolidArchiveStillFeedTheHistory) {
    REQUIRE_ACE_FIXTURES();
    const std::string archive = (aceFixtures() / "tests.ace.v1/ZGFX2.ace").string();
    ACEOpenArchiveData open{};
    open.openMode = ACE_OPEN_EXTRACT;
    ACEHandle handle = ACEOpenArchive(&open, archive.c_str());
    ASSERT_NE(handle, nullptr);
    ACEHeaderData header{};
    std::string last;
    int processed = 0;
    // Every tenth member only; the ones between are not even skipped explicitly.
    for (int i = 0; ACEReadHeader(handle, &header) == ACE_SUCCESS; ++i) {
        if (i % 10 != 9 || (header.fileAttr & 0x10)) continue;
        last = header.fileName;
        EXPECT_EQ(ACEProcessFile(handle, ACE_EXTRACT, (dest() + "\\" + last).c_str()), ACE_SUCCESS) << last;
        ++processed;
    }
    ACECloseArchive(handle);
    EXPECT_GT(processed, 10);
}

TEST_F(AceExtractTest, TraversalFixturesWriteNothingAnywhere) {
    REQUIRE_ACE_FIXTURES();
    const bool wasThere = exists("/tmp/unace-dir-traversal");
    for (const char* name : {"tests.ace.v1/dirtraversal1.ace", "tests.ace.v1/dirtraversal2.ace"}) {
        const auto session = runSession((aceFixtures() / name).string(), ACE_EXTRACT, dest());
        ASSERT_EQ(session.entries.size(), 1u) << name;
        EXPECT_EQ(session.entries[0].result, ACE_ERROR_UNSAFE_NAME) << name;
    }
    EXPECT_TRUE(tree(dir_ / "dest").empty());
    EXPECT_EQ(tree(dir_), std::set<std::string>{"dest"});
    if (!wasThere) {
        EXPECT_FALSE(exists("/tmp/unace-dir-traversal"));
    }
}

TEST_F(AceExtractTest, UnsafeNamesAreRefusedNotCleaned) {
    const std::vector<std::string> unsafe = {
        "..\\outside.txt", "a\\..\\..\\outside.txt",   "\\rooted.txt",     "/rooted.txt", "C:\\drive.txt",
        "C:drive.txt",     "\\\\server\\share\\x.txt", "\\\\?\\C:\\x.txt", "ctl\x01.txt", std::string(300, 'n'),
    };
    std::vector<AceEntry> entries;
    for (const std::string& name : unsafe) entries.push_back({.name = name, .data = "bad"});
    entries.push_back({.name = "ok\\fine.txt", .data = "good"});
    const auto session = runSession(write("u.ace", aceArchive(entries)), ACE_EXTRACT, dest());
    ASSERT_EQ(session.entries.size(), unsafe.size() + 1);
    for (std::size_t i = 0; i < unsafe.size(); ++i) {
        EXPECT_EQ(session.entries[i].result, ACE_ERROR_UNSAFE_NAME) << session.entries[i].name;
    }
    EXPECT_EQ(session.entries.back().result, ACE_SUCCESS);
    EXPECT_EQ(tree(dir_ / "dest"), (std::set<std::string>{"ok", "ok/fine.txt"}));
    EXPECT_EQ(tree(dir_).count("outside.txt"), 0u);
}

TEST_F(AceExtractTest, OemNamesBecomeUtf8AndUtf8NamesStay) {
    const auto session = runSession(write("n.ace", aceArchive({
                                                       {.name = "Gr\x81\xE1"
                                                                "e.txt",
                                                        .data = "1"},                          // code page 850
                                                       {.name = "\xC3\xA4.txt", .data = "2"},  // already UTF-8
                                                   })),
                                    ACE_EXTRACT, dest());
    ASSERT_EQ(session.entries.size(), 2u);
    EXPECT_EQ(session.entries[0].name, "Gr\u00FC\u00DFe.txt");
    EXPECT_EQ(session.entries[1].name, "\u00E4.txt");
    for (const auto& e : session.entries) EXPECT_EQ(e.result, ACE_SUCCESS) << e.name;
    EXPECT_EQ(readFile(dir_ / "dest" / "Gr\u00FC\u00DFe.txt"), "1");
}

TEST_F(AceExtractTest, NeverWritesThroughALinkInTheDestination) {
    fs::create_directory(dir_ / "elsewhere");
    fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "dest" / "docs");
    const auto session =
        runSession(write("l.ace", aceArchive({{.name = "docs\\readme.txt", .data = "x"}})), ACE_EXTRACT, dest());
    ASSERT_EQ(session.entries.size(), 1u);
    EXPECT_EQ(session.entries[0].result, ACE_ERROR_LINK);
    EXPECT_TRUE(tree(dir_ / "elsewhere").empty());
}

TEST_F(AceExtractTest, FailedMembersLeaveNoFile) {
    const auto session = runSession(
        write("f.ace", aceArchive({
                           {.name = "bad.txt", .data = "data", .crcOverride = 1},
                           // A size no data backs: a terabyte from four bytes.
                           {.name = "absurd.bin", .data = "tiny", .wide = true, .sizeOverride = std::int64_t{1} << 40},
                           {.name = "good.txt", .data = "good"},
                       })),
        ACE_EXTRACT, dest());
    ASSERT_EQ(session.entries.size(), 3u);
    EXPECT_EQ(session.entries[0].result, ACE_ERROR_CRC);
    EXPECT_NE(session.entries[1].result, ACE_SUCCESS);
    EXPECT_EQ(session.entries[2].result, ACE_SUCCESS);
    EXPECT_EQ(tree(dir_ / "dest"), std::set<std::string>{"good.txt"});
}

TEST_F(AceExtractTest, TargetPathsAsTheArchiveClassPassesThem) {
    testing_support::TestPrefix prefix;
    const std::string archive = write("t.ace", aceArchive({{.name = "sub\\a.txt", .data = "A"}}));
    auto extractTo = [&](const std::string& target) {
        ACEOpenArchiveData open{};
        open.openMode = ACE_OPEN_EXTRACT;
        ACEHandle handle = ACEOpenArchive(&open, archive.c_str());
        ACEHeaderData header{};
        EXPECT_EQ(ACEReadHeader(handle, &header), ACE_SUCCESS);
        const std::int32_t result = ACEProcessFile(handle, ACE_EXTRACT, target.c_str());
        ACECloseArchive(handle);
        return result;
    };
    // A Windows-style destination through the prefix, made when missing.
    EXPECT_EQ(extractTo("C:\\out\\sub\\a.txt"), ACE_SUCCESS);
    EXPECT_EQ(readFile(prefix / "drive_c/out/sub/a.txt"), "A");
    // A name of the caller's own choosing.
    EXPECT_EQ(extractTo("C:\\other\\renamed.txt"), ACE_SUCCESS);
    EXPECT_EQ(readFile(prefix / "drive_c/other/renamed.txt"), "A");
    // The bare name: relative to the working directory.
    const fs::path before = fs::current_path();
    fs::current_path(dir_ / "dest");
    const std::int32_t bare = extractTo("sub\\a.txt");
    fs::current_path(before);
    EXPECT_EQ(bare, ACE_SUCCESS);
    EXPECT_EQ(readFile(dir_ / "dest/sub/a.txt"), "A");
}

TEST_F(AceExtractTest, EncryptedMemberWithoutPasswordLeavesNothing) {
    REQUIRE_ACE_FIXTURES();
    const auto session = runSession((aceFixtures() / "tests.ace.v2/passwd2.ace").string(), ACE_EXTRACT, dest());
    ASSERT_EQ(session.entries.size(), 1u);
    EXPECT_EQ(session.entries[0].result, ACE_ERROR_PASSWORD);
    EXPECT_TRUE(tree(dir_ / "dest").empty());
}

}  // namespace
