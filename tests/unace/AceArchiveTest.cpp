// SPDX-License-Identifier: Apache-2.0
// The ACE reader on small archives the tests write themselves: headers of both widths, a
// self-extractor stub, volumes, and damage that must fail only what it touches.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/standins/unace/AceChecksum.h"
#include "platform/standins/unace/UnAce.h"
#include "tests/support/TestPrefix.h"
#include "tests/unace/AceSession.h"
#include "tests/unace/AceWriter.h"

namespace {

namespace fs = std::filesystem;
using namespace unace_test;

class AceArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testing_support::makeTempDirectory("unace"); }
    void TearDown() override { fs::remove_all(dir_); }
    std::string write(const std::string& name, const std::string& bytes) {
        writeBytes(dir_ / name, bytes);
        return (dir_ / name).string();
    }
    fs::path dir_;
};

TEST_F(AceArchiveTest, ListsAndTestsStoredMembersOfBothHeaderWidths) {
    const std::string archive = write("a.ace", aceArchive({
                                                   {.name = "docs", .directory = true},
                                                   {.name = "docs\\readme.txt", .data = "hello"},
                                                   {.name = "big.bin", .data = std::string(70000, 'x'), .wide = true},
                                                   {.name = "empty.txt"},
                                               }));
    const auto session = runSession(archive, ACE_TEST);
    ASSERT_EQ(session.openResult, ACE_SUCCESS);
    EXPECT_EQ(session.lastHeaderResult, ACE_END_ARCHIVE);
    ASSERT_EQ(session.entries.size(), 4u);
    EXPECT_EQ(session.entries[1].name, "docs\\readme.txt");
    EXPECT_TRUE(session.entries[2].flags & ACE_FLAG_64BIT);
    for (const auto& e : session.entries) EXPECT_EQ(e.result, ACE_SUCCESS) << e.name;
}

TEST_F(AceArchiveTest, FindsTheArchiveBehindASelfExtractorStub) {
    std::string stub = "MZ" + std::string(3000, '\x90') + "**ACE**";  // a false signature in the stub
    const std::string archive = write("setup.exe", aceArchive({{.name = "a.txt", .data = "a"}}, {.stub = stub}));
    const auto session = runSession(archive, ACE_TEST);
    ASSERT_EQ(session.openResult, ACE_SUCCESS);
    ASSERT_EQ(session.entries.size(), 1u);
    EXPECT_EQ(session.entries[0].result, ACE_SUCCESS);
}

TEST_F(AceArchiveTest, UnopenableArchives) {
    ACEOpenArchiveData open{};
    open.openMode = ACE_OPEN_EXTRACT;
    EXPECT_EQ(ACEOpenArchive(&open, (dir_ / "missing.ace").c_str()), nullptr);
    EXPECT_EQ(open.openResult, static_cast<std::uint32_t>(ACE_ERROR_OPEN));
    const std::string notAce = write("x.ace", std::string(100, 'z'));
    EXPECT_EQ(ACEOpenArchive(&open, notAce.c_str()), nullptr);
    EXPECT_EQ(open.openResult, static_cast<std::uint32_t>(ACE_ERROR_OPEN));
}

TEST_F(AceArchiveTest, DamageFailsOnlyWhatItTouches) {
    std::string bytes = aceArchive({
        {.name = "good.txt", .data = "good"},
        {.name = "badcrc.txt", .data = "data", .crcOverride = 0x12345678},
        {.name = "after.txt", .data = "after"},
    });
    // A truncated last member: its header claims more data than the file has.
    bytes += fileHeader({.name = "cut.txt", .data = std::string(1000, 'c')}).substr(0, 200);
    const auto session = runSession(write("d.ace", bytes), ACE_TEST);
    ASSERT_EQ(session.entries.size(), 4u);
    EXPECT_EQ(session.entries[0].result, ACE_SUCCESS);
    EXPECT_EQ(session.entries[1].result, ACE_ERROR_CRC);
    EXPECT_EQ(session.entries[2].result, ACE_SUCCESS);
    EXPECT_EQ(session.entries[3].result, ACE_ERROR_DATA);
    EXPECT_EQ(session.lastHeaderResult, ACE_END_ARCHIVE);
}

TEST_F(AceArchiveTest, DamagedHeaderStopsTheListing) {
    std::string bytes = aceArchive({{.name = "one.txt", .data = "1"}, {.name = "two.txt", .data = "2"}});
    const std::string second = fileHeader({.name = "two.txt", .data = "2"});
    bytes[bytes.size() - second.size() + 8] ^= 0x01;  // inside the second FILE header
    const auto session = runSession(write("h.ace", bytes), ACE_TEST);
    ASSERT_EQ(session.entries.size(), 1u);
    EXPECT_EQ(session.lastHeaderResult, ACE_ERROR_HEADER);
}

TEST_F(AceArchiveTest, MemberSpanningVolumesIsOneEntry) {
    const std::string whole = "first half|second half";
    AceEntry head{.name = "span.txt", .data = whole.substr(0, 10), .extraFlags = 0x2000};
    AceEntry tail{.name = "span.txt", .data = whole.substr(10), .extraFlags = 0x1000};
    // Every segment carries the whole member's size; the last one its checksum.
    head.sizeOverride = tail.sizeOverride = static_cast<std::int64_t>(whole.size());
    tail.crcOverride =
        static_cast<std::int64_t>(unace::aceCrc32(reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size()));
    const std::string first =
        write("set.ace", aceArchive({{.name = "a.txt", .data = "a"}, head}, {.multiVolume = true}));
    write("set.c00", aceArchive({tail, {.name = "b.txt", .data = "b"}}, {.multiVolume = true, .volumeNumber = 1}));
    const auto session = runSession(first, ACE_TEST);
    ASSERT_EQ(session.entries.size(), 3u);
    EXPECT_EQ(session.entries[1].name, "span.txt");
    for (const auto& e : session.entries) EXPECT_EQ(e.result, ACE_SUCCESS) << e.name;

    fs::remove(dir_ / "set.c00");
    const auto missing = runSession(first, ACE_TEST);
    ASSERT_EQ(missing.entries.size(), 2u);
    EXPECT_EQ(missing.entries[0].result, ACE_SUCCESS);
    EXPECT_EQ(missing.entries[1].result, ACE_ERROR_VOLUME);
    EXPECT_EQ(missing.lastHeaderResult, ACE_END_ARCHIVE);
}

}  // namespace
