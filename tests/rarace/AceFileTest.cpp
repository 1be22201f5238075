// SPDX-License-Identifier: Apache-2.0
// ACEFile: the twin of RARFile over the UnACE functions. What differs: View opens with mode 1,
// and an entry that is not worked on needs no call.
#include "tests/rarace/RarFixture.h"
#include "tests/support/Files.h"
#include "tests/unace/AceWriter.h"

namespace rar_tests {
namespace {

using unace_test::aceArchive;
using unace_test::AceEntry;

class AceFile : public PrefixTest {
protected:
    std::string archive(const std::string& name, const std::vector<AceEntry>& entries) {
        fs::create_directories(driveC / "in");
        unace_test::writeBytes(driveC / "in" / name, aceArchive(entries));
        return "C:\\in\\" + name;
    }
};

TEST_F(AceFile, ViewListsTheEntriesAndExtractRaisesEventsForTheSelectedOnly) {
    std::string name = archive("t.ace", {{.name = "a.txt", .data = "alpha"},
                                         {.name = "D", .directory = true},
                                         {.name = "D\\B.TXT", .data = "beta"},
                                         {.name = "c.txt", .data = "gamma"}});
    AceObject object(name);
    EXPECT_EQ(object->View(), platform::com::True);
    EXPECT_EQ(object.contents(), (std::vector<std::string>{"a.txt", "D", "D\\B.TXT", "c.txt"}));
    EXPECT_EQ(object->Extract("C:\\out", "a.txt;d\\b.txt"), 1);
    EXPECT_EQ(object.sink->events, (std::vector<std::string>{"Extracting|a.txt", "Extracted|a.txt|True",
                                                             "Extracting|D\\B.TXT", "Extracted|D\\B.TXT|True"}));
    EXPECT_EQ(testing_support::treeOf(driveC / "out"), (std::vector<std::string>{"D", "D/B.TXT", "a.txt"}));
    EXPECT_EQ(testing_support::readFile(driveC / "out/D/B.TXT"), "beta");
}

TEST_F(AceFile, AnUnopenableArchiveGivesAnEmptyListingAndNoEvents) {
    testing_support::writeFile(driveC / "in/junk.ace", "not an archive at all");
    for (const char* name : {"C:\\in\\junk.ace", "C:\\in\\missing.ace"}) {
        AceObject object(name);
        EXPECT_EQ(object->View(), platform::com::False) << name;
        ASSERT_TRUE(object->get_ArchiveContents()) << name;
        EXPECT_EQ(object->get_ArchiveContents()->Count(), 0) << name;
        EXPECT_EQ(object->Extract("C:\\out", ""), -1) << name;
        EXPECT_TRUE(object.sink->events.empty()) << name;
    }
}

}  // namespace
}  // namespace rar_tests
