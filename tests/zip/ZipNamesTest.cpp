// SPDX-License-Identifier: Apache-2.0
// The pure rules of the addzip library: wildcard lists, and the names of listings and of
// stored files.
#include <gtest/gtest.h>

#include "platform/standins/addzip/EntryNames.h"
#include "platform/standins/addzip/Patterns.h"

namespace {
using namespace addzip;

TEST(Patterns, MatchWildcardsWithoutCaseAndEitherSeparator) {
    struct Case {
        const char* specs;
        const char* path;
        bool selected;
    } cases[] = {
        {"*.txt", "readme.TXT", true},
        {"*.txt", "docs/readme.txt", true},  // no separator: the file name only
        {"*.txt", "docs.txt/readme.doc", false},
        {"docs\\*.txt", "docs/readme.txt", true},  // with a separator: the whole path
        {"docs/*.txt", "other/readme.txt", false},
        {"?.dat", "a.dat", true},
        {"?.dat", "ab.dat", false},
        {"*.*", "Makefile", true},  // "*.*" is every file, as on Windows
        {"a*b*c", "axxbyyc", true},
        {"a*b*c", "axxbyy", false},
        {" *.txt | *.doc ", "x.doc", true},  // several specs, blanks around them dropped
        {"*.txt|*.doc", "x.pdf", false},
        {"ÄRGER*", "ärger.txt", true},     // case folding beyond ASCII
        {"?rger.txt", "ärger.txt", true},  // ? is one character, not one byte
        {"*.exe", "*evil.exe", true},      // a "*" in the name is no reason to give up the pattern's star
    };
    for (const Case& c : cases)
        EXPECT_EQ(PatternList(c.specs).matches(c.path), c.selected) << c.specs << " / " << c.path;
}

TEST(Patterns, IncludeAndExcludeSelectTogether) {
    PatternList none, txt("*.txt"), secret("secret*");
    EXPECT_TRUE(isSelected(none, none, "a.bin"));
    EXPECT_FALSE(isSelected(txt, none, "a.bin"));
    EXPECT_TRUE(isSelected(txt, secret, "a.txt"));
    EXPECT_FALSE(isSelected(txt, secret, "dir/secret.txt"));
    // A long run of stars against a long name must not take exponential time.
    EXPECT_FALSE(PatternList(std::string(200, '*') + "x").matches(std::string(5000, 'a')));
}

TEST(EntryNames, ListingAndStoredNames) {
    EXPECT_EQ(listedName("a/b/c.txt").path, "a\\b");
    EXPECT_EQ(listedName("a/b/c.txt").fileName, "c.txt");
    EXPECT_EQ(listedName("top.txt").path, "");
    EXPECT_EQ(storedPath("C:\\Program Files\\x\\..\\y.txt"), "Program Files/y.txt");
    EXPECT_EQ(storedPath("\\\\server\\share\\a.txt"), "server/share/a.txt");
    EXPECT_EQ(storedPath("/home/u/./a.txt"), "home/u/a.txt");
    EXPECT_EQ(storedPath("../../a.txt"), "a.txt");
}

}  // namespace
