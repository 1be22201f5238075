// SPDX-License-Identifier: Apache-2.0
#include "platform/com/Conversion.h"

#include <gtest/gtest.h>

#include <clocale>

#include "platform/com/Error.h"

using namespace platform::com;

namespace {

TEST(Conversion, LeadingNumberReadsTheNumberAtTheStartOfTheText) {
    const std::pair<const char*, double> cases[] = {
        {"21", 21},     {"  2121", 2121}, {"1abc", 1},  {"abc", 0},     {"", 0},       {"-5", -5},    {"+7", 7},
        {"1 2 3", 123}, {"007", 7},       {"3.5", 3.5}, {"2.5.1", 2.5}, {".5", 0.5},   {"1e3", 1000}, {"1e", 1},
        {"=2", 0},      {"\t12\n", 12},   {"-", 0},     {"1D2", 100},   {"12x34", 12},
    };
    for (auto [text, value] : cases) EXPECT_DOUBLE_EQ(leadingNumber(text), value) << '"' << text << '"';
}

TEST(Conversion, LeadingNumberIgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale on this machine";
    EXPECT_DOUBLE_EQ(leadingNumber("1.5"), 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Conversion, RoundsHalvesToEvenAndRaisesOverflowOutsideTheWidth) {
    EXPECT_EQ(toInteger(2.5), 2);
    EXPECT_EQ(toInteger(3.5), 4);
    EXPECT_EQ(toInteger(-2.5), -2);
    EXPECT_EQ(toInteger(32767.4), 32767);
    EXPECT_EQ(toLong(2121.5), 2122);
    EXPECT_EQ(toLong(-2147483648.0), INT32_MIN);
    for (double bad : {32767.5, -32769.0, 1e10}) {
        try {
            toInteger(bad);
            ADD_FAILURE() << "no overflow for " << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 6);
            EXPECT_EQ(e.description(), "Overflow");
        }
    }
    EXPECT_THROW(toLong(2147483648.0), Error);
    EXPECT_EQ(textToInteger("12.5abc"), 12);
    EXPECT_THROW(textToLong("99999999999"), Error);
}

}  // namespace
