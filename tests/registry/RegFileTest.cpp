// SPDX-License-Identifier: Apache-2.0
// .reg files: what each kind of line means, which lines are refused and where, the encodings,
// all-or-nothing imports, and export followed by import giving back every value exactly.
#include <gtest/gtest.h>

#include "platform/registry/RegFile.h"
#include "platform/support/TextEncoding.h"
#include "tests/registry/Snapshot.h"
#include "tests/support/TestPrefix.h"

using namespace platform::registry;
using registry_tests::snapshot;
using testing_support::TestPrefix;
using namespace std::string_literals;

namespace {

constexpr Hive LM = Hive::LocalMachine;
const std::string kHeader5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kHeader4 = "REGEDIT4\r\n\r\n";
const std::string kKey = "[HKEY_LOCAL_MACHINE\\Software\\T]\r\n";

struct GoodLine {
    std::string header;
    std::string line;
    RegChange::Kind kind;
    std::string name;
    std::optional<Value> value;
};

TEST(RegFileParse, GoodValueLinesMeanWhatTheySay) {
    using K = RegChange::Kind;
    const GoodLine cases[] = {
        {kHeader5, "\"A\"=\"Hallo\"", K::SetValue, "A", Value::string("Hallo")},
        {kHeader5, "@=\"default\"", K::SetValue, "", Value::string("default")},
        {kHeader5, R"("Pfad"="C:\\Programme\\X")", K::SetValue, "Pfad", Value::string(R"(C:\Programme\X)")},
        {kHeader5, R"("Q\"uote"="sagt \"hi\"")", K::SetValue, "Q\"uote", Value::string("sagt \"hi\"")},
        {kHeader5, R"("Lax"="C:\Temp\new")", K::SetValue, "Lax", Value::string(R"(C:\Temp\new)")},
        {kHeader5, "  \"Sp\" = \"x\"  ", K::SetValue, "Sp", Value::string("x")},
        {kHeader5, "\"Leer\"=\"\"", K::SetValue, "Leer", Value::string("")},
        {kHeader5, "\"D\"=dword:0000001f", K::SetValue, "D", Value::dword(31)},
        {kHeader5, "\"D\"=DWORD:FFFFFFFF", K::SetValue, "D", Value::dword(0xFFFFFFFFu)},
        {kHeader5, "\"D\"=dword:1", K::SetValue, "D", Value::dword(1)},
        {kHeader5, "\"B\"=hex:01,02,ff", K::SetValue, "B", Value::binary({1, 2, 0xFF})},
        {kHeader5, "\"B\"=hex:", K::SetValue, "B", Value::binary({})},
        {kHeader5, "\"B\"=HEX: 1 , a ,", K::SetValue, "B", Value::binary({1, 0xA})},
        {kHeader5, "\"B\"=hex:01,\\\r\n  02,\\\r\n  03", K::SetValue, "B", Value::binary({1, 2, 3})},
        {kHeader5, "\"B\"=hex(3):7f", K::SetValue, "B", Value::binary({0x7F})},
        {kHeader5, "\"S\"=hex(1):48,00,69,00,00,00", K::SetValue, "S", Value::string("Hi")},
        {kHeader5, "\"E\"=hex(2):25,00,54,00,25,00,00,00", K::SetValue, "E", Value::expandString("%T%")},
        {kHeader5, "\"E\"=hex(2):e4,00", K::SetValue, "E", Value::expandString("ä")},  // no terminator
        {kHeader5, "\"M\"=hex(7):61,00,00,00,62,00,00,00,00,00", K::SetValue, "M", Value::multiString({"a", "b"})},
        {kHeader5, "\"M\"=hex(7):00,00", K::SetValue, "M", Value::multiString({})},
        {kHeader5, "\"W\"=hex(4):02,01,00,00", K::SetValue, "W", Value::dword(0x102)},
        {kHeader5, "\"Q\"=hex(b):01,00,00,00,00,00,00,80", K::SetValue, "Q", Value::qword(0x8000000000000001u)},
        {kHeader5, "\"X\"=-", K::DeleteValue, "X", std::nullopt},
        {kHeader5, "@=-", K::DeleteValue, "", std::nullopt},
        // REGEDIT4 carries the strings of hex data as 8-bit bytes: UTF-8 when valid, else Windows-1252.
        {kHeader4, "\"E\"=hex(2):25,54,25,00", K::SetValue, "E", Value::expandString("%T%")},
        {kHeader4, "\"E\"=hex(2):c3,a4,00", K::SetValue, "E", Value::expandString("ä")},
        {kHeader4, "\"E\"=hex(2):e4,80,00", K::SetValue, "E", Value::expandString("ä€")},
        {kHeader4, "\"M\"=hex(7):61,00,62,00,00", K::SetValue, "M", Value::multiString({"a", "b"})},
    };
    for (const auto& c : cases) {
        auto script = RegScript::parse(c.header + kKey + c.line + "\r\n");
        ASSERT_TRUE(script) << c.line << ": " << script.error();
        ASSERT_EQ(script->changes().size(), 2u) << c.line;
        const RegChange& change = script->changes()[1];
        EXPECT_EQ(change.kind, c.kind) << c.line;
        EXPECT_EQ(change.key, (FullKeyPath{LM, "Software\\T"})) << c.line;
        EXPECT_EQ(change.name, c.name) << c.line;
        EXPECT_EQ(change.value, c.value) << c.line;
        EXPECT_EQ(change.line, 4) << c.line;
    }
}

TEST(RegFileParse, KeyLinesCommentsAndBlankLines) {
    auto script = RegScript::parse(kHeader5 +
                                   "; a comment\r\n"
                                   "[HKLM\\Software\\Short]\r\n"
                                   "\r\n"
                                   "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
                                   "\"ignored\"=\"under a deleted key\"\r\n"
                                   "  [hkey_classes_root\\.txt]  \r\n"
                                   "[HKEY_USERS\\a]b]\n"
                                   "\"after\"=\"LF only\"\n");
    ASSERT_TRUE(script) << script.error();
    using K = RegChange::Kind;
    const auto& c = script->changes();
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].kind, K::CreateKey);
    EXPECT_EQ(c[0].key, (FullKeyPath{LM, "Software\\Short"}));
    EXPECT_EQ(c[0].line, 4);
    EXPECT_EQ(c[1].kind, K::DeleteKey);
    EXPECT_EQ(c[1].key, (FullKeyPath{Hive::CurrentUser, "Software\\Old"}));
    EXPECT_EQ(c[2].key, (FullKeyPath{Hive::ClassesRoot, ".txt"}));
    EXPECT_EQ(c[3].key, (FullKeyPath{Hive::Users, "a]b"}));
    EXPECT_EQ(c[4].name, "after");
    EXPECT_EQ(c[4].line, 10);
    EXPECT_EQ(script->format(), RegFormat::Version5);
}

struct BadFile {
    std::string text;
    int line;
    std::string what;
};

TEST(RegFileParse, BadLinesAreNamedByTheirNumber) {
    const BadFile cases[] = {
        {"[HKEY_LOCAL_MACHINE\\X]\r\n", 1, "not a registry file"},
        {"", 1, "not a registry file"},
        {"REGEDIT5\r\n", 1, "not a registry file"},
        {kHeader5 + "\"A\"=\"x\"\r\n", 3, "before any [key]"},
        {kHeader5 + "[HKEY_NOWHERE\\X]\r\n", 3, "unknown hive \"HKEY_NOWHERE\""},
        {kHeader5 + "[]\r\n", 3, "unknown hive"},
        {kHeader5 + "[HKLM\\X\r\n", 3, "no closing ']'"},
        {kHeader5 + "[HKLM\\X] junk\r\n", 3, "after the key's closing ']'"},
        {kHeader5 + "[-HKEY_LOCAL_MACHINE]\r\n", 3, "hive cannot be deleted"},
        {kHeader5 + "garbage\r\n", 3, "neither a [key] line nor a value line"},
        {kHeader5 + kKey + "\"A\"=dword:123456789\r\n", 4, "1 to 8 hex digits"},
        {kHeader5 + kKey + "\"A\"=dword:\r\n", 4, "1 to 8 hex digits"},
        {kHeader5 + kKey + "\"A\"=dword:12 34\r\n", 4, "1 to 8 hex digits"},
        {kHeader5 + kKey + "\"A\"=hex:0g\r\n", 4, "\"0g\" is not a hex byte"},
        {kHeader5 + kKey + "\"A\"=hex:123\r\n", 4, "not a hex byte"},
        {kHeader5 + kKey + "\"A\"=hex:01,,02\r\n", 4, "empty byte"},
        {kHeader5 + kKey + "\"A\"=hex(zz):01\r\n", 4, "hex number"},
        {kHeader5 + kKey + "\"A\"=hex(2:01\r\n", 4, "hex number"},
        {kHeader5 + kKey + "\"A\"=hex 01\r\n", 4, "expected ':'"},
        {kHeader5 + kKey + "\"A\"=hex(0):00\r\n", 4, "hex(0) (REG_NONE) is not supported"},
        {kHeader5 + kKey + "\"A\"=hex(5):00,00,00,01\r\n", 4, "REG_DWORD_BIG_ENDIAN"},
        {kHeader5 + kKey + "\"A\"=hex(4):01,02\r\n", 4, "exactly 4 bytes"},
        {kHeader5 + kKey + "\"A\"=hex(b):01\r\n", 4, "exactly 8 bytes"},
        {kHeader5 + kKey + "\"A\"=hex(2):41\r\n", 4, "UTF-16LE"},
        {kHeader5 + kKey + "\"A\"=hex(1):00,d8,41,00\r\n", 4, "UTF-16LE"},  // unpaired surrogate
        {kHeader5 + kKey + "\"A\"=\"open\r\n", 4, "string has no closing quote"},
        {kHeader5 + kKey + "\"A=\"x\"\r\n", 4, "expected '='"},
        {kHeader5 + kKey + "\"open=1\r\n", 4, "name has no closing quote"},
        {kHeader5 + kKey + "\"A\" \"x\"\r\n", 4, "expected '='"},
        {kHeader5 + kKey + "@:\"x\"\r\n", 4, "expected '='"},
        {kHeader5 + kKey + "\"A\"=\"x\" junk\r\n", 4, "unexpected text after the string"},
        {kHeader5 + kKey + "\"A\"=str:\"x\"\r\n", 4, "unknown value data"},
        {kHeader5 + kKey + "\"A\"=1\r\n", 4, "unknown value data"},
        {kHeader5 + kKey + "\"A\"=\"x\0y\"\r\n"s, 4, "NUL"},
        // Faults on a continuation line name that line; a continuation must go on somewhere.
        {kHeader5 + kKey + "\"B\"=hex:01,\\\r\n  02,\\\r\n  zz\r\n", 6, "\"zz\" is not a hex byte"},
        {kHeader5 + kKey + "\"B\"=hex:01,\\", 4, "continues past the end of the file"},
        {kHeader5 + kKey + "\"B\"=hex:01,\\\r\n", 4, "continues past the end of the file"},
        {"\xFE\xFF", 1, "big-endian"},
    };
    for (const auto& c : cases) {
        auto script = RegScript::parse(c.text);
        ASSERT_FALSE(script) << c.text;
        std::string prefix = "line " + std::to_string(c.line) + ": ";
        EXPECT_EQ(script.error().rfind(prefix, 0), 0u) << c.text << " -> " << script.error();
        EXPECT_NE(script.error().find(c.what), std::string::npos) << c.text << " -> " << script.error();
    }
}

class RegFile : public ::testing::Test {
protected:
    TestPrefix prefix;
    RegistryStore& store = RegistryStore::forPrefix();
};

TEST_F(RegFile, ReadsUtf16LittleEndianWithAndWithoutByteOrderMark) {
    std::string text = kHeader5 + "[HKEY_LOCAL_MACHINE\\Software\\Bäckerei]\r\n\"Größe\"=\"Süß 😀\"\r\n";
    for (const std::string& prefixBytes : {std::string("\xFF\xFE"), std::string()}) {
        auto result = importRegText(store, prefixBytes + platform::utf8ToUtf16le(text));
        ASSERT_TRUE(result) << result.error();
        EXPECT_EQ(result->format, RegFormat::Version5);
        EXPECT_EQ(store.readText(LM, "Software\\Bäckerei", "Größe", ""), "Süß 😀");
        store.deleteKey(LM, "Software\\Bäckerei", Subtree::Delete);
    }
    // A broken UTF-16 sequence is named by its line.
    std::string broken = "\xFF\xFE" + platform::utf8ToUtf16le(kHeader5 + "[HKLM\\X]\r\n\"A\"=\"") + "\x00\xD8"s +
                         platform::utf8ToUtf16le("\"\r\n");
    auto result = importRegText(store, broken);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().rfind("line 4: ", 0), 0u) << result.error();
}

TEST_F(RegFile, ReadsEightBitFilesAsUtf8WhenValidElseWindows1252) {
    // Windows-1252: ä is E4, € is 80.
    auto latin =
        importRegText(store, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\K\xE4se]\r\n\"Preis\"=\"5 \x80\"\r\n");
    ASSERT_TRUE(latin) << latin.error();
    EXPECT_EQ(latin->format, RegFormat::Regedit4);
    EXPECT_EQ(store.readText(LM, "Software\\Käse", "Preis", ""), "5 €");

    auto utf8 = importRegText(
        store,
        "\xEF\xBB\xBFREGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Käse]\r\n\"Sorte\"=\"Gouda über alles\"\r\n");
    ASSERT_TRUE(utf8) << utf8.error();
    EXPECT_EQ(store.readText(LM, "Software\\Käse", "Sorte", ""), "Gouda über alles");

    // Version 5.00 may be UTF-8 as well; its hex(2) data stays UTF-16LE.
    auto v5 = importRegText(store, kHeader5 + "[HKLM\\Software\\Käse]\r\n\"E\"=hex(2):fc,00,00,00\r\n");
    ASSERT_TRUE(v5) << v5.error();
    EXPECT_EQ(store.value(LM, "Software\\Käse", "E"), Value::expandString("ü"));
}

TEST_F(RegFile, ABadLineImportsNothingAtAll) {
    store.setValue(LM, "Software\\Keep", "Old", Value::string("old"));
    store.setValue(LM, "Software\\Keep\\Sub", "Deep", Value::dword(1));
    auto before = snapshot(store, LM, "Software");

    auto result = importRegText(store, kHeader5 +
                                           "[HKEY_LOCAL_MACHINE\\Software\\New]\r\n"
                                           "\"A\"=\"a\"\r\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\Keep]\r\n"
                                           "\"Old\"=\"changed\"\r\n"
                                           "\"Added\"=dword:00000002\r\n"
                                           "[-HKEY_LOCAL_MACHINE\\Software\\Keep\\Sub]\r\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\Keep]\r\n"
                                           "\"Bad\"=dword:xyz\r\n");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().rfind("line 10: ", 0), 0u) << result.error();
    EXPECT_EQ(snapshot(store, LM, "Software"), before);
}

TEST_F(RegFile, ImportAppliesChangesInFileOrder) {
    store.setValue(LM, "Software\\App\\Old", "x", Value::string("x"));
    store.setValue(LM, "Software\\App", "Gone", Value::string("x"));
    auto result = importRegText(store, kHeader5 +
                                           "[-HKEY_LOCAL_MACHINE\\Software\\App\\Old]\r\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\App\\Old]\r\n"
                                           "\"fresh\"=\"1\"\r\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\App]\r\n"
                                           "\"Gone\"=-\r\n"
                                           "\"NeverThere\"=-\r\n"
                                           "[-HKEY_LOCAL_MACHINE\\Software\\NeverThere]\r\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\App\\Empty]\r\n");
    ASSERT_TRUE(result) << result.error();
    EXPECT_EQ(
        snapshot(store, LM, "Software\\App"),
        (std::vector<std::string>{"[Software\\App]", "[Software\\App\\Empty]", "[Software\\App\\Old]", "fresh=1:31"}));
}

// A subtree with every type and the awkward cases of each.
void fillEveryKind(RegistryStore& store) {
    const std::string root = "Software\\Round Trip";
    store.setValue(LM, root, "", Value::string("the default"));
    store.setValue(LM, root, "plain", Value::string("Hallo Welt"));
    store.setValue(LM, root, "escapes \"\\", Value::string(R"(C:\Programme\"quoted"\)"));
    store.setValue(LM, root, "lines", Value::string("one\r\ntwo\nthree\r"));
    store.setValue(LM, root, "nul", Value::string(std::string("a\0b", 3)));
    store.setValue(LM, root, "ends in nul", Value::string(std::string("a\0", 2)));
    store.setValue(LM, root, "empty", Value::string(""));
    store.setValue(LM, root, "unicode", Value::string("Grüße, 𝄞 und 😀"));
    store.setValue(LM, root, "=[]@;", Value::string("odd name"));
    store.setValue(LM, root, "expand", Value::expandString("%ProgramFiles%\\Orvane"));
    store.setValue(LM, root, "expand empty", Value::expandString(""));
    store.setValue(LM, root, "binary empty", Value::binary({}));
    std::vector<std::uint8_t> many;
    for (int i = 0; i < 300; ++i) many.push_back(static_cast<std::uint8_t>(i * 7));
    store.setValue(LM, root, "binary long", Value::binary(many));
    store.setValue(LM, root, "dword zero", Value::dword(0));
    store.setValue(LM, root, "dword max", Value::dword(0xFFFFFFFFu));
    store.setValue(LM, root, "qword", Value::qword(0x0123456789ABCDEFu));
    store.setValue(LM, root, "qword max", Value::qword(~std::uint64_t{0}));
    store.setValue(LM, root, "multi", Value::multiString({"ümlaut", "", "x y"}));
    store.setValue(LM, root, "multi none", Value::multiString({}));
    store.setValue(LM, root, "multi one empty", Value::multiString({""}));
    store.setValue(LM, root, "multi trailing empty", Value::multiString({"a", ""}));
    store.setValue(LM, root + "\\MixedCase\\Deeper", "d", Value::dword(4));
    store.createKey(LM, root + "\\no values");
    store.setValue(LM, root + "\\a]b", "k", Value::string("bracket in key"));
    store.setValue(LM, root + "\\Äpfel", "k", Value::string("umlaut key"));
}

TEST_F(RegFile, ExportThenImportGivesBackEveryValueExactly) {
    fillEveryKind(store);
    const auto original = snapshot(store, LM, "Software\\Round Trip");
    ASSERT_GT(original.size(), 20u);
    for (RegFormat format : {RegFormat::Version5, RegFormat::Regedit4}) {
        auto text = exportRegText(store, {{LM, "software\\round trip"}}, format);
        ASSERT_TRUE(text) << text.error();
        ASSERT_TRUE(store.deleteKey(LM, "Software\\Round Trip", Subtree::Delete));

        auto result = importRegText(store, *text);
        ASSERT_TRUE(result) << result.error();
        EXPECT_EQ(result->format, format);
        EXPECT_EQ(snapshot(store, LM, "Software\\Round Trip"), original);

        // The registry editor's line width is kept: long data wraps before column 80.
        std::string utf8 = format == RegFormat::Version5 ? platform::utf16leToUtf8(text->substr(2)) : *text;
        for (std::size_t start = 0, end; (end = utf8.find("\r\n", start)) != std::string::npos; start = end + 2)
            EXPECT_LE(end - start, 80u) << utf8.substr(start, end - start);
    }
}

TEST_F(RegFile, ExportWritesTheFormsTheRegistryEditorWrites) {
    store.setValue(LM, "Software\\Gold", "", Value::string("d"));
    store.setValue(LM, "Software\\Gold", "N", Value::dword(42));
    store.setValue(LM, "Software\\Gold", "E", Value::expandString("%A%"));
    store.setValue(LM, "Software\\Gold", "M", Value::multiString({"a"}));
    store.setValue(LM, "Software\\Gold", "B", Value::binary({0xAB}));
    store.createKey(LM, "Software\\Gold\\Sub");
    const std::string body =
        "[HKEY_LOCAL_MACHINE\\Software\\Gold]\r\n"
        "@=\"d\"\r\n"
        "\"N\"=dword:0000002a\r\n"
        "\"E\"=hex(2):%\r\n"
        "\"M\"=hex(7):%\r\n"
        "\"B\"=hex:ab\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Gold\\Sub]\r\n"
        "\r\n";
    auto fill = [&](std::string expand, std::string multi) {
        std::string s = body;
        s.replace(s.find('%'), 1, expand);
        s.replace(s.find('%'), 1, multi);
        return s;
    };

    auto v5 = exportRegText(store, {{LM, "SOFTWARE\\gold"}}, RegFormat::Version5);
    ASSERT_TRUE(v5) << v5.error();
    EXPECT_EQ(*v5,
              "\xFF\xFE" + platform::utf8ToUtf16le(kHeader5 + fill("25,00,41,00,25,00,00,00", "61,00,00,00,00,00")));
    auto v4 = exportRegText(store, {{LM, "Software\\Gold"}}, RegFormat::Regedit4);
    ASSERT_TRUE(v4) << v4.error();
    EXPECT_EQ(*v4, kHeader4 + fill("25,41,25,00", "61,00,00"));
}

TEST_F(RegFile, ExportRefusesWhatItCannotWrite) {
    auto missing = exportRegText(store, {{LM, "Software\\Nowhere"}}, RegFormat::Version5);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().find("HKEY_LOCAL_MACHINE\\Software\\Nowhere does not exist"), std::string::npos);

    store.setValue(LM, "Software\\Broken", "two\nlines", Value::string("x"));
    auto broken = exportRegText(store, {{LM, "Software\\Broken"}}, RegFormat::Version5);
    ASSERT_FALSE(broken);
    EXPECT_NE(broken.error().find("line break"), std::string::npos) << broken.error();
}

TEST_F(RegFile, FilesAreWrittenWholeOrNotAtAll) {
    auto dir = prefix / "out";
    std::filesystem::create_directories(dir);
    store.setValue(LM, "Software\\F", "v", Value::string("1"));

    auto written = exportRegFile(store, {{LM, "Software\\F"}}, RegFormat::Version5, dir / "f.reg");
    ASSERT_TRUE(written) << written.error();
    EXPECT_EQ(*written, 1u);
    store.setValue(LM, "Software\\F", "v", Value::string("2"));
    auto imported = importRegFile(store, dir / "f.reg");
    ASSERT_TRUE(imported) << imported.error();
    EXPECT_EQ(store.readText(LM, "Software\\F", "v", ""), "1");

    // A failed export leaves the earlier file as it was and no temporary file behind.
    auto failed = exportRegFile(store, {{LM, "Software\\Nowhere"}}, RegFormat::Version5, dir / "f.reg");
    ASSERT_FALSE(failed);
    auto again = importRegFile(store, dir / "f.reg");
    EXPECT_TRUE(again);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);

    auto unreadable = importRegFile(store, dir / "none.reg");
    ASSERT_FALSE(unreadable);
    EXPECT_NE(unreadable.error().find("none.reg: it does not exist"), std::string::npos) << unreadable.error();
    auto folder = importRegFile(store, dir);
    ASSERT_FALSE(folder);
    EXPECT_NE(folder.error().find("not a file"), std::string::npos) << folder.error();
}

}  // namespace
