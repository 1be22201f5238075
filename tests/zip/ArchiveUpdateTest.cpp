// SPDX-License-Identifier: Apache-2.0
// An archive changed in place: while it is written, every other file in its folder carries the
// temporary marker (so that a killed run's leftovers are swept), and afterwards only the
// archive is left, new when committed and untouched when not.
#include <zip.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/standins/addzip/Archive.h"
#include "platform/support/TemporaryNames.h"
#include "tests/support/Files.h"
#include "tests/zip/ZipFixture.h"

namespace {

namespace fs = std::filesystem;
using addzip::AddZipCode;
using addzip::ArchiveUpdate;

// Entry data that looks at the archive's folder when libzip reads it, which happens while the
// new archive is being written.
struct WatchingSource {
    fs::path folder;
    std::set<std::string> seen;
    std::string data = "watched entry";
    std::size_t offset = 0;
};

zip_int64_t watchingCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* source = static_cast<WatchingSource*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            source->offset = 0;
            for (const auto& entry : fs::directory_iterator(source->folder))
                source->seen.insert(entry.path().filename().string());
            return 0;
        case ZIP_SOURCE_READ: {
            std::size_t n = std::min<std::size_t>(length, source->data.size() - source->offset);
            std::memcpy(data, source->data.data() + source->offset, n);
            source->offset += n;
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE;
            st->size = source->data.size();
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        case ZIP_SOURCE_ERROR:
            return 2 * sizeof(int);
        default:
            return 0;
    }
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

std::set<std::string> entriesOf(const fs::path& archive) {
    std::set<std::string> names;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    if (!zip) return {"<unreadable>"};
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i)
        names.insert(zip_get_name(zip, static_cast<zip_uint64_t>(i), 0));
    zip_discard(zip);
    return names;
}

class ArchiveUpdateTest : public zip_tests::ScratchTest {
protected:
    fs::path archive = dir / "a.zip";

    void makeArchive(std::initializer_list<const char*> entries) {
        int error = 0;
        zip_t* zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(zip, nullptr);
        for (const char* name : entries) zip_file_add(zip, name, zip_source_buffer(zip, name, std::strlen(name), 0), 0);
        ASSERT_EQ(zip_close(zip), 0);
    }

    // Adds one entry whose source records the folder while the archive is written.
    std::set<std::string> addWatched(ArchiveUpdate& update, WatchingSource& source) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* zs = zip_source_function_create(watchingCallback, &source, &error);
        zip_error_fini(&error);
        EXPECT_GE(zip_file_add(update.get(), "watched.txt", zs, ZIP_FL_OVERWRITE), 0);
        return source.seen;
    }
};

TEST_F(ArchiveUpdateTest, WhileWritingEveryOtherFileIsMarkedAndAfterwardsOnlyTheArchiveIsLeft) {
    for (bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "existing archive" : "new archive");
        fs::remove(archive);
        if (existing) makeArchive({"old.txt"});
        WatchingSource source;
        source.folder = dir;
        {
            AddZipCode code{};
            ArchiveUpdate update(archive, ZIP_CREATE, code);
            ASSERT_TRUE(update);
            addWatched(update, source);
            ASSERT_TRUE(update.commit());
        }
        ASSERT_FALSE(source.seen.empty());
        for (const std::string& name : source.seen) {
            if (name != "a.zip") {
                EXPECT_TRUE(platform::isTemporaryName(name)) << name;
            }
        }
        EXPECT_EQ(namesIn(dir), std::set<std::string>{"a.zip"});
        std::set<std::string> expected{"watched.txt"};
        if (existing) expected.insert("old.txt");
        EXPECT_EQ(entriesOf(archive), expected);
    }
}

TEST_F(ArchiveUpdateTest, WithoutCommitTheOldArchiveStaysAndNothingIsLeftBehind) {
    makeArchive({"old.txt"});
    const std::string before = testing_support::readFile(archive);
    {
        AddZipCode code{};
        ArchiveUpdate update(archive, 0, code);
        ASSERT_TRUE(update);
        ASSERT_EQ(zip_delete(update.get(), 0), 0);
    }
    EXPECT_EQ(testing_support::readFile(archive), before);
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"a.zip"});
}

TEST_F(ArchiveUpdateTest, UnchangedAndEmptiedArchivesEndAsLibzipWouldLeaveThem) {
    makeArchive({"old.txt"});
    const std::string before = testing_support::readFile(archive);
    {
        AddZipCode code{};
        ArchiveUpdate unchanged(archive, 0, code);
        ASSERT_TRUE(unchanged.commit());
    }
    EXPECT_EQ(testing_support::readFile(archive), before);
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"a.zip"});
    {
        AddZipCode code{};
        ArchiveUpdate emptied(archive, 0, code);
        ASSERT_EQ(zip_delete(emptied.get(), 0), 0);
        ASSERT_TRUE(emptied.commit());
    }
    EXPECT_TRUE(namesIn(dir).empty());
}

}  // namespace
