// SPDX-License-Identifier: Apache-2.0
#include "quillon/discovery/DescriptorFiles.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/prefix/Prefix.h"
#include "tests/support/TestPrefix.h"

using namespace quillon;

namespace {

TEST(DescriptorLines, EndAtCrLfOrLoneCrButNotAtLoneLf) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitDescriptorLines(""), V{});
    EXPECT_EQ(splitDescriptorLines("a\r\nb"), (V{"a", "b"}));
    EXPECT_EQ(splitDescriptorLines("a\r\n"), V{"a"});
    EXPECT_EQ(splitDescriptorLines("a\rb\r\n\r\n"), (V{"a", "b", ""}));
    EXPECT_EQ(splitDescriptorLines("a\nb\r c \r"), (V{"a\nb", " c "}));
}

TEST(IndexConditions, HoldOnlyWhenAllThreeComponentsHold) {
    const InstalledVersion v237{2, 3, 7};
    struct Case {
        const char* line;
        InstalledVersion installed;
        std::optional<bool> holds;
    } cases[] = {
        {"=2.<4.>0", v237, true},       {"=2.<3.>0", v237, false},  // 3 is not less than 3
        {"=002.=03.=0007", v237, true}, {"=2.=3.=7", v237, true},
        {"=.=.=", {0, 0, 0}, true},                                   // "=" alone means equal to 0
        {"=.=.=", {0, 0, 1}, false},    {"<.<.<", {0, 0, 0}, false},  // "<" alone means less than 0
        {"*.*.*", v237, false},                                       // no wildcard
        {"=2.*.=7", v237, false},       {">1.=3.5.<8", v237, false},  // minor keeps its inner dot: "=3.5"
        {">1.<3.5.<8", v237, true},     {"= 2.= 3.= 7", v237, true},  // blanks before the number are skipped
        {"=2x.=3y.=7z", v237, true},                                  // the number stops at the first non-digit
        {"=2.<4", v237, std::nullopt},  {"", v237, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(conditionHolds(c.line, c.installed), c.holds) << c.line;
}

class DescriptorFiles : public ::testing::Test {
protected:
    // Writes a file into the prefix's temp folder and gives its Windows-style path.
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(platform::prefix::toNative("C:\\windows\\temp\\" + name), std::ios::binary) << bytes;
        return "C:\\windows\\temp\\" + name;
    }
    testing_support::TestPrefix prefix;
};

TEST_F(DescriptorFiles, IndexGivesTheTargetOfTheFirstHoldingCondition) {
    struct Case {
        const char* name;
        std::string text;
        std::string target;
    } cases[] = {
        {"plain", "adu1.0ov\r\nfree\r\n=2.<4.>0\r\nupd237.sl\r\n", "upd237.sl"},
        {"signature", "  ADU1.0OV  \r\n\r\n=2.=3.=7\r\nx.sl", "x.sl"},
        {"wrong signature", "adu1.0sl\r\n\r\n=2.=3.=7\r\nx.sl", ""},
        {"none holds", "adu1.0ov\r\n\r\n=1.=3.=7\r\na.sl\r\n=2.=4.=7\r\nb.sl", ""},
        {"first wins", "adu1.0ov\r\n\r\n=2.=3.=7\r\nfirst.sl\r\n>0.>0.>0\r\nsecond.sl", "first.sl"},
        {"later general", "adu1.0ov\r\n\r\n=1.=0.=0\r\nold.sl\r\n>0.>0.>0\r\nany.sl", "any.sl"},
        {"blank target", "adu1.0ov\r\n\r\n=2.=3.=7\r\n   \r\n", "   "},
        {"blanks kept", "adu1.0ov\r\n\r\n=2.=3.=7\r\n  x.sl \r\n", "  x.sl "},
        {"signature only", "adu1.0ov\r\nfree text\r\n", ""},
        {"ends after line 1", "adu1.0ov", ""},
        {"condition without target", "adu1.0ov\r\n\r\n=2.=3.=7", ""},
        {"too few dots", "adu1.0ov\r\n\r\n=2.=3\r\nx.sl\r\n=2.=3.=7\r\ny.sl", ""},
        {"lone LF stays in line", "adu1.0ov\r\n\r\n=2.=3.=7\nx.sl\r\n", ""},
    };
    for (const auto& c : cases) {
        std::string path = write("index.txt", c.text);
        EXPECT_EQ(ReadUpdateIndex(path, 2, 3, 7), c.target) << c.name;
    }
    EXPECT_EQ(ReadUpdateIndex("C:\\windows\\temp\\missing.txt", 2, 3, 7), "");
}

TEST_F(DescriptorFiles, DescriptionGivesLinesFourToSix) {
    auto parse = [&](const std::string& text) {
        return parseUpdateDescription(readDescriptorLines(write("d.sl", text)));
    };

    auto d = parse("adu1.0sl\r\nx\r\ny\r\n1\r\n  upd.zip \r\nEin Update\r\nignored\r\n");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->updateType, "1");
    EXPECT_EQ(d->updateData, "  upd.zip ");
    EXPECT_EQ(d->description, "Ein Update");

    EXPECT_TRUE(parse(" ADU1.0SL\r\n\r\n\r\n 2 \r\nhttp://x\r\n\r\n"));
    // Umlauts in Windows-1252 arrive as UTF-8.
    EXPECT_EQ(parse("adu1.0sl\r\n\r\n\r\n1\r\nx\r\nF\xFCr alle")->description, "F\xC3\xBCr alle");

    for (const char* bad : {"adu1.0ov\r\n\r\n\r\n1\r\nx\r\nd", "adu1.0sl\r\n\r\n\r\n1\r\nx", ""})
        EXPECT_FALSE(parse(bad)) << bad;
}

TEST_F(DescriptorFiles, LineFourIsJudgedByItsValueInTheSixteenBitRange) {
    struct Case {
        const char* line4;
        bool accepted;
    };
    for (const Case& c : std::vector<Case>{
             {"0000001", true},
             {"-32768", true},
             {"+32767", true},
             {"-000000000000000000000032768", true},
             {" 2 ", true},
             {"32768", false},
             {"-32769", false},
             {"0000032768", false},
             {"99999999999999999999999", false},
             {"1a", false},
             {"1.0", false},
             {"-", false},
             {"", false},
         }) {
        auto d = parseUpdateDescription(
            readDescriptorLines(write("d.sl", std::string("adu1.0sl\r\n\r\n\r\n") + c.line4 + "\r\nx\r\nd")));
        EXPECT_EQ(d.has_value(), c.accepted) << '"' << c.line4 << '"';
        if (d) {
            EXPECT_EQ(d->updateType, c.line4) << "stored as the line's text";
        }
    }
}

}  // namespace
