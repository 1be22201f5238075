// SPDX-License-Identifier: Apache-2.0
// Texts from outside shown on a terminal: control characters visible, the rest unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/support/VisibleText.h"

namespace {

using platform::LineBreaks;

TEST(VisibleText, ShowsControlCharactersAndKeepsTheRest) {
    struct Case {
        std::string text;
        LineBreaks breaks;
        std::string shown;
    };
    using namespace std::string_literals;
    for (const Case& c : std::vector<Case>{
             {"Grüße, 1.0 > 0.9", LineBreaks::Shown, "Grüße, 1.0 > 0.9"},
             {"\x1b]0;owned\x07\x1b[2J", LineBreaks::Shown, "^[]0;owned^G^[[2J"},
             {"a\0b\x7f"s, LineBreaks::Shown, "a^@b^?"},
             {"a\tb\r\nc\rd\n", LineBreaks::Shown, "a^Ib^M^Jc^Md^J"},
             {"a\tb\r\nc\rd\n", LineBreaks::Kept, "a\tb\r\nc^Md\n"},
             {"\x1b[31m\n", LineBreaks::Kept, "^[[31m\n"},
             {"csi \xc2\x9b"
              "2J",
              LineBreaks::Shown,
              "csi \xEF\xBF\xBD"
              "2J"},  // C1 control U+009B
             {"raw \x9b"
              "2J",
              LineBreaks::Shown,
              "raw \xEF\xBF\xBD"
              "2J"},                                                               // not UTF-8
             {"cut \xe2\x82", LineBreaks::Shown, "cut \xEF\xBF\xBD\xEF\xBF\xBD"},  // truncated sequence
             {"\xc2\xa0\xe2\x82\xac", LineBreaks::Shown, "\xc2\xa0\xe2\x82\xac"},  // U+00A0, euro sign
         }) {
        EXPECT_EQ(platform::visibleText(c.text, c.breaks), c.shown) << c.text;
    }
}

TEST(VisibleText, QuotedFormEscapesQuotesAndBackslashes) {
    EXPECT_EQ(platform::quotedVisibleText("Fehler"), "\"Fehler\"");
    EXPECT_EQ(platform::quotedVisibleText("a \"b\" c:\\d\x1b"), "\"a \\\"b\\\" c:\\\\d^[\"");
}

}  // namespace
