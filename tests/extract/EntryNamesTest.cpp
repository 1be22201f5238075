// SPDX-License-Identifier: Apache-2.0
// The name rules every archive reader gets from the safe extractor: entry names refused rather
// than repaired, and link targets judged by their text.
#include <gtest/gtest.h>

#include "platform/standins/extract/EntryNames.h"

namespace {
using namespace extract;

TEST(EntryNames, RefuseRatherThanRepairNamesThatLeaveTheDestination) {
    struct Case {
        const char* name;
        NameProblem problem;
        const char* joined;  // the components when accepted
    } cases[] = {
        {"a/b/c.txt", NameProblem::None, "a|b|c.txt"},
        {"./a//b.txt", NameProblem::None, "a|b.txt"},
        {"win\\style\\x", NameProblem::None, "win|style|x"},
        {"dir/", NameProblem::None, "dir"},
        {"../x", NameProblem::ParentReference, ""},
        {"a/../../x", NameProblem::ParentReference, ""},
        {"a\\..\\x", NameProblem::ParentReference, ""},
        {"/abs/x", NameProblem::Absolute, ""},
        {"\\abs\\x", NameProblem::Absolute, ""},
        {"C:\\x", NameProblem::DriveLetter, ""},
        {"c:x", NameProblem::DriveLetter, ""},
        {"", NameProblem::Empty, ""},
        {"./", NameProblem::Empty, ""},
        {"a:b/c", NameProblem::DriveLetter, ""},
        {"ab:c/d", NameProblem::None, "ab:c|d"},
        {"a\x01b.txt", NameProblem::ControlCharacter, ""},
        {"dir/tab\there", NameProblem::ControlCharacter, ""},
        {"esc\x1b[2J", NameProblem::ControlCharacter, ""},
        {"del\x7f", NameProblem::ControlCharacter, ""},
        {"caf\xc3\xa9 \xe2\x82\xac.txt", NameProblem::None, "caf\xc3\xa9 \xe2\x82\xac.txt"},
    };
    for (const Case& c : cases) {
        CheckedName checked = checkEntryName(c.name);
        EXPECT_EQ(checked.problem, c.problem) << c.name;
        std::string joined;
        for (const auto& part : checked.components) joined += (joined.empty() ? "" : "|") + part;
        EXPECT_EQ(joined, c.joined) << c.name;
    }
    EXPECT_TRUE(checkEntryName("dir/").directory);
    EXPECT_EQ(checkEntryName(std::string_view("a\0b", 3)).problem, NameProblem::ControlCharacter);
}

TEST(EntryNames, LinksMayPointOnlyInsideTheDestination) {
    using V = std::vector<std::string>;
    EXPECT_TRUE(linkStaysInside(V{"l"}, "target"));
    EXPECT_TRUE(linkStaysInside(V{"a", "l"}, "../b/c"));
    EXPECT_TRUE(linkStaysInside(V{"a", "l"}, "."));
    EXPECT_FALSE(linkStaysInside(V{"l"}, "../x"));
    EXPECT_FALSE(linkStaysInside(V{"a", "l"}, "../../x"));
    EXPECT_FALSE(linkStaysInside(V{"a", "l"}, "b/../../../x"));
    EXPECT_FALSE(linkStaysInside(V{"l"}, "/etc/passwd"));
    EXPECT_FALSE(linkStaysInside(V{"l"}, "C:\\x"));
    EXPECT_FALSE(linkStaysInside(V{"l"}, ""));
    EXPECT_FALSE(linkStaysInside(V{"l"}, "a\\b"));  // the system would read one name "a\b"
    EXPECT_FALSE(linkStaysInside(V{"l"}, "a\nb"));
}

}  // namespace
