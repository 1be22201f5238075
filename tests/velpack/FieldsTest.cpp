// SPDX-License-Identifier: Apache-2.0
#include "velpack/frame/Fields.h"

#include <gtest/gtest.h>

#include "platform/com/Error.h"

using velpack::GetCallbackCode;
using velpack::GetField;

namespace {

TEST(GetField, SplitsAtTheSeparatorCountingFromOne) {
    struct Case {
        const char* text;
        const char* sep;
        int index;
        const char* field;
    } cases[] = {
        {"a|b|c", "|", 1, "a"},    {"a|b|c", "|", 3, "c"},   {"a|b|c", "|", 4, ""},     {"a||c", "|", 2, ""},
        {"", "|", 1, ""},          {"abc", "|", 1, "abc"},   {"abc", "|", 2, ""},       {"a|b", "|", 0, ""},
        {"a::b::c", "::", 2, "b"}, {"aXbxc", "x", 1, "aXb"}, {"|lead", "|", 2, "lead"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetField(c.text, c.sep, c.index), c.field) << c.text << " #" << c.index;
}

TEST(GetField, OverflowsPast32767Fields) {
    std::string many;
    for (int i = 0; i < 32768; ++i) many += "x|";
    EXPECT_EQ(GetField(many, "|", 32767), "x");
    EXPECT_EQ(GetField(std::string(32766 * 2, '|').substr(0, 32766), "|", 32768), "");  // runs out first
    try {
        GetField(many, "|", 32768);
        FAIL();
    } catch (const platform::com::Error& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

TEST(GetCallbackCode, ReadsFieldTwoAsA16BitNumber) {
    const std::pair<const char*, int> cases[] = {
        {"x|21|path", 21}, {"x|abc", 0},      {"x|", 0},    {"x", 0},       {"|12.5|", 12},
        {"|13.5|", 14},    {"a|22xyz|b", 22}, {"|-3|", -3}, {"| 2 4|", 24},
    };
    for (auto [message, code] : cases) EXPECT_EQ(GetCallbackCode(message), code) << message;
    EXPECT_THROW(GetCallbackCode("x|40000"), platform::com::Error);
}

}  // namespace
