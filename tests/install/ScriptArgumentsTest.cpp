// SPDX-License-Identifier: Apache-2.0
// The pure rules of argument preparation: quoted blanks, the split, the hive numbers of
// indirect variables and the order in which variable replacements see each other.
#include <gtest/gtest.h>

#include "quillon/install/ScriptArguments.h"

namespace {

using quillon::ScriptArguments;

ScriptArguments prepare(std::string_view text) {
    return quillon::prepareScriptArguments(text, [](const std::string& s) { return s; });
}

TEST(ScriptArguments, PreparationSplitsTrimsAndRestoresQuotes) {
    struct Case {
        std::string text;
        ScriptArguments expected;
    };
    const Case cases[] = {
        {"", {}},
        {" ", {""}},
        {"a;;b;", {"a", "", "b", ""}},
        {"  a  ;  \"  b  \" ", {"a", "  b  "}},
        {"\"ab\"", {"\"ab\""}},
        {"\"a;b c\"", {"\"a", "b c\""}},  // the quote state runs across the semicolon
        {"\"a b\"c\"", {"a b\"c"}},
        // An open quote protects every blank to the end, past the semicolon too.
        {"x \"open to the end; y z", {"x \"open to the end", " y z"}},
        {"\"\"", {"\"\""}},
        {"\" \"", {" "}},
    };
    for (const auto& c : cases) EXPECT_EQ(prepare(c.text), c.expected) << c.text;
}

TEST(ScriptArguments, HiveNumbers) {
    struct Case {
        std::string word;
        std::optional<std::int32_t> hive;
    };
    const Case cases[] = {
        {"-2147483646", -2147483646},
        {"&H80000002", -2147483646},
        {"&h80000001", -2147483647},
        {"&HFFFFFFFF", -1},
        {"&H000080000002", -2147483646},
        {"&H1FFFFFFFF", std::nullopt},
        {"2147483648", std::nullopt},
        {"+12", 12},
        {"HKLM", 0},
        {"&H", 0},
        {"&HZ", 0},
        {"1.5", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(quillon::readHiveNumber(c.word), c.hive) << c.word;
}

// Each step sees what the earlier ones put in, never what the later ones do.
TEST(ScriptArguments, ReplacementsSeeOnlyTheVariablesAfterThem) {
    quillon::VariableSources sources;
    sources.expandLibraryPlaceholders = [](const std::string& t) { return quillon::replaceAll(t, "%windir%", "%WL%"); };
    int tempAsked = 0;
    sources.installTempFolder = [&] {
        ++tempAsked;
        return std::string("T");
    };
    sources.favoritesFolder = [] { return std::string("%B%"); };
    sources.productVariables = [] {
        return std::vector<quillon::ProductVariable>{{"B", "%A%"}, {"A", "%B%"}, {"  ", "x"}, {"@I", "1 K"}};
    };
    sources.registryRead = [](std::int32_t hive, const std::string& key, const std::string& name) {
        return std::to_string(hive) + ":" + key + ":" + name;
    };
    EXPECT_EQ(quillon::expandVariables("%windir%|%installtemp%%InstallTemp%|%I%", sources), "%B%\\Web-Links|TT|1:K:I");
    EXPECT_EQ(tempAsked, 2);
    // %B% became %A% before A was replaced, so A's data (%B%) is what remains.
    EXPECT_EQ(quillon::expandVariables("%B%", sources), "%B%");
}

}  // namespace
