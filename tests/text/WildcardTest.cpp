// SPDX-License-Identifier: Apache-2.0
// The project's one wildcard match, used by Gorslb's shell delete, the install script's delete
// and addzip's file lists alike.
#include <gtest/gtest.h>

#include <string>

#include "platform/support/Wildcard.h"

namespace {

TEST(Wildcard, OneCharacterPerQuestionMarkAndCaseFoldedAsThePrefixComparesNames) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"?rger.txt", "\xC3\xA4rger.txt", true},      // "ä" is one character, not two bytes
        {"??rger.txt", "\xC3\xA4rger.txt", false},    // ... so two ? are one too many
        {"\xC3\x84RGER*", "\xC3\xA4rger.txt", true},  // "Ä" and "ä" are the same letter
        {"*.TXT", "readme.txt", true},
        {"*.txt", "readme.txt.bak", false},
        {"a*b*c", "axxbyyc", true},
        {"a*b*c", "axxbyy", false},
        {"*", "", true},
        {"?", "", false},
        {"*", "*x", true},  // a star in the name is no reason to take the pattern's star literally
        {"*.txt", "*.txt.txt", true},
        {"x\xFF?",
         "x\xFF"
         "a",
         true},  // bytes that are not UTF-8 stand for themselves
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::matchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
    // A long run of stars against a long name must not take exponential time.
    EXPECT_FALSE(platform::matchesWildcard(std::string(200, '*') + "x", std::string(5000, 'a')));
    EXPECT_TRUE(platform::hasWildcard("a?.txt"));
    EXPECT_FALSE(platform::hasWildcard("plain.txt"));
}

}  // namespace
