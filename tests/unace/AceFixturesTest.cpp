// SPDX-License-Identifier: Apache-2.0
// The ACE archives of the shared fixtures: every member with a checksum list unpacks to exactly
// those bytes; the damaged and hostile samples fail cleanly. Skipped when the fixtures are absent.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/standins/unace/AceArchive.h"
#include "platform/standins/unace/CommentDecoder.h"
#include "platform/standins/unace/UnAce.h"
#include "tests/support/TestPrefix.h"
#include "tests/unace/AceSession.h"

namespace {

namespace fs = std::filesystem;
using unace_test::aceFixtures;
using unace_test::runSession;

std::size_t lineCount(const fs::path& file) {
    std::ifstream in(file);
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);) n += !line.empty();
    return n;
}

struct Fixture {
    const char* archive;  // below aceFixtures()
    const char* password;
};

// Every archive whose checksum list upstream's tests expect to match.
const Fixture kGoodArchives[] = {
    {"tests.ace.v1/onefile.ace", ""},     {"tests.ace.v1/ALCHT.ACE", ""}, {"tests.ace.v1/Patch.ace", ""},
    {"tests.ace.v1/trps.ace", ""},        {"tests.ace.v1/ZGFX2.ace", ""}, {"tests.ace.v1/zdir.ace", ""},
    {"tests.ace.v1/multivolume.ace", ""}, {"tests.ace.v2/dir2.ace", ""},  {"tests.ace.v2/multivol2.ace", ""},
    {"tests.ace.v2/passwd2.ace", "1234"},
};

TEST(AceFixtures, EveryMemberUnpacksToItsChecksum) {
    REQUIRE_ACE_FIXTURES();
    for (const Fixture& f : kGoodArchives) {
        const fs::path archive = aceFixtures() / f.archive;
        const auto session = runSession(archive.string(), ACE_TEST, "", f.password);
        ASSERT_EQ(session.openResult, ACE_SUCCESS) << f.archive;
        EXPECT_EQ(session.lastHeaderResult, ACE_END_ARCHIVE) << f.archive;
        std::size_t files = 0;
        for (const auto& e : session.entries) {
            EXPECT_EQ(e.result, ACE_SUCCESS) << f.archive << ": " << e.name;
            files += (e.attributes & 0x10) == 0;
        }
        EXPECT_EQ(files, lineCount(archive.string() + ".md5")) << f.archive;
    }
}

TEST(AceFixtures, EncryptedMemberNeedsTheRightPassword) {
    REQUIRE_ACE_FIXTURES();
    const std::string archive = (aceFixtures() / "tests.ace.v2/passwd2.ace").string();
    const auto none = runSession(archive, ACE_TEST);
    ASSERT_EQ(none.entries.size(), 1u);
    EXPECT_EQ(none.entries[0].name, "passwd2.m4");
    EXPECT_TRUE(none.entries[0].flags & ACE_FLAG_ENCRYPTED);
    EXPECT_EQ(none.entries[0].result, ACE_ERROR_PASSWORD);
    const auto wrong = runSession(archive, ACE_TEST, "", "4321");
    ASSERT_EQ(wrong.entries.size(), 1u);
    EXPECT_TRUE(wrong.entries[0].result == ACE_ERROR_DATA || wrong.entries[0].result == ACE_ERROR_CRC);
    // The ACE 1.x sample does not decode with its recorded password; it fails like a wrong one.
    const auto v1 = runSession((aceFixtures() / "tests.ace.v1/passwd.ace").string(), ACE_TEST, "", "1234");
    ASSERT_EQ(v1.entries.size(), 1u);
    EXPECT_NE(v1.entries[0].result, ACE_SUCCESS);
}

TEST(AceFixtures, OutOfBoundsHeaderEndsTheArchiveCleanly) {
    REQUIRE_ACE_FIXTURES();
    const auto session = runSession((aceFixtures() / "tests.ace.v1/out_of_bounds.ace").string(), ACE_TEST);
    EXPECT_TRUE(session.entries.empty());
    EXPECT_EQ(session.lastHeaderResult, ACE_ERROR_HEADER);
}

}  // namespace

TEST(AceFixtures, MissingLastVolumeFailsOnlyTheMemberThatNeedsIt) {
    REQUIRE_ACE_FIXTURES();
    const fs::path dir = testing_support::makeTempDirectory("unace-volumes");
    for (const char* volume : {"multivolume.ace", "multivolume.c00"}) {
        fs::copy_file(aceFixtures() / "tests.ace.v1" / volume, dir / volume);
    }
    const auto session = runSession((dir / "multivolume.ace").string(), ACE_TEST);
    fs::remove_all(dir);
    ASSERT_FALSE(session.entries.empty());
    EXPECT_EQ(session.lastHeaderResult, ACE_END_ARCHIVE);
    EXPECT_EQ(session.entries.back().result, ACE_ERROR_VOLUME) << session.entries.back().name;
    for (std::size_t i = 0; i + 1 < session.entries.size(); ++i) {
        EXPECT_EQ(session.entries[i].result, ACE_SUCCESS) << session.entries[i].name;
    }
    EXPECT_LT(session.entries.size(), lineCount((aceFixtures() / "tests.ace.v1/multivolume.ace.md5").string()));
}

TEST(AceFixtures, ArchiveAndMemberComments) {
    REQUIRE_ACE_FIXTURES();
    struct Case {
        const char* archive;
        const char* mainComment;
        const char* memberComment;
    };
    const Case cases[] = {
        {"tests.ace.v1/ALCHT.ACE", "main comment", "file comment"},  // zero advert size, flag clear
        {"tests.ace.v1/Patch.ace", "main comment", "file comment"},
        {"tests.ace.v2/passwd2.ace", "main comm xx", "this is the da comment"},  // never encrypted
    };
    for (const Case& c : cases) {
        auto archive = unace::AceArchive::open(aceFixtures() / c.archive);
        EXPECT_EQ(unace::decodeComment(archive->mainHeader().packedComment), c.mainComment) << c.archive;
        const auto member = archive->next();
        ASSERT_TRUE(member) << c.archive;
        EXPECT_EQ(unace::decodeComment(member->header.packedComment), c.memberComment) << c.archive;
    }
}
