// SPDX-License-Identifier: Apache-2.0
// quillon-reg and regedit run as the real programs against a throwaway prefix.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "platform/prefix/Prefix.h"
#include "platform/registry/RegFile.h"
#include "platform/support/TextEncoding.h"
#include "tests/registry/Snapshot.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

namespace fs = std::filesystem;
using namespace platform::registry;
using registry_tests::snapshot;
using testing_support::Libraries;
using testing_support::program;
using testing_support::ProgramResult;
using testing_support::RunOptions;
using testing_support::runProgram;
using testing_support::TestPrefix;

namespace {

constexpr Hive LM = Hive::LocalMachine;
constexpr const char* kDone = "The operation completed successfully.\n";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class Tools : public ::testing::Test {
protected:
    TestPrefix prefix;
    RegistryStore& store = RegistryStore::forPrefix();

    ProgramResult reg(const std::vector<std::string>& args, std::string input = {}) {
        RunOptions options;
        options.input = std::move(input);
        options.timeoutSeconds = 30;
        return runProgram(program("quillon-reg"), args, options);
    }
    ProgramResult regedit(const std::vector<std::string>& args, std::string input = {}) {
        RunOptions options;
        options.input = std::move(input);
        options.timeoutSeconds = 30;
        options.environment = {{"QUILLON_UI", "console"}};  // its message boxes on standard output
        return runProgram(program("regedit"), args, options);
    }
    // A file in the prefix's temp folder, and its Windows-style name.
    std::string windowsFile(const std::string& name, const std::string& bytes) {
        std::string windows = platform::prefix::tempFolder() + "\\" + name;
        writeFile(platform::prefix::toNative(windows), bytes);
        return windows;
    }
};

TEST_F(Tools, AddedValueIsFoundInAnyLetterCase) {
    auto added = reg({"add", "HKLM\\Software\\X", "/v", "A", "/d", "1"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, kDone);

    auto found = reg({"query", "hklm\\software\\x", "/v", "a"});
    ASSERT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out, "\nHKEY_LOCAL_MACHINE\\Software\\X\n    A    REG_SZ    1\n\n");
    EXPECT_EQ(store.value(LM, "Software\\X", "A"), Value::string("1"));
}

TEST_F(Tools, QueryShowsValuesAndSubkeysAsRegExeDoes) {
    store.setValue(LM, "Software\\Q", "", Value::string("standard"));
    store.setValue(LM, "Software\\Q", "Num", Value::dword(31));
    store.setValue(LM, "Software\\Q", "Big", Value::qword(0x100000000u));
    store.setValue(LM, "Software\\Q", "Bin", Value::binary({0x0A, 0xFF}));
    store.setValue(LM, "Software\\Q", "Multi", Value::multiString({"a", "b"}));
    store.setValue(LM, "Software\\Q", "Exp", Value::expandString("%TEMP%"));
    store.setValue(LM, "Software\\Q\\Sub", "Inner", Value::string("i"));
    store.createKey(LM, "Software\\Q\\Sub\\Leaf");

    auto plain = reg({"QUERY", "HKEY_LOCAL_MACHINE\\software\\q"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Q\n"
              "    (Default)    REG_SZ    standard\n"
              "    Num    REG_DWORD    0x1f\n"
              "    Big    REG_QWORD    0x100000000\n"
              "    Bin    REG_BINARY    0AFF\n"
              "    Multi    REG_MULTI_SZ    a\\0b\n"
              "    Exp    REG_EXPAND_SZ    %TEMP%\n"
              "\n"
              "HKEY_LOCAL_MACHINE\\Software\\Q\\Sub\n");

    auto deep = reg({"query", "HKLM\\Software\\Q\\Sub", "-S"});
    ASSERT_EQ(deep.status, 0) << deep.err;
    EXPECT_EQ(deep.out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Q\\Sub\n"
              "    Inner    REG_SZ    i\n"
              "\nHKEY_LOCAL_MACHINE\\Software\\Q\\Sub\\Leaf\n\n");

    auto search = reg({"query", "HKLM\\Software\\Q", "/v", "inner", "/s"});
    ASSERT_EQ(search.status, 0) << search.err;
    EXPECT_EQ(
        search.out,
        "\nHKEY_LOCAL_MACHINE\\Software\\Q\\Sub\n    Inner    REG_SZ    i\n\nEnd of search: 1 match(es) found.\n");

    auto unset = reg({"query", "HKLM\\Software\\Q\\Sub", "/ve"});
    ASSERT_EQ(unset.status, 0) << unset.err;
    EXPECT_NE(unset.out.find("(Default)    REG_SZ    (value not set)"), std::string::npos);
}

TEST_F(Tools, AddStoresEveryTypeFromItsCommandLineForm) {
    struct Case {
        std::vector<std::string> args;
        std::string name;
        Value expected;
    };
    const Case cases[] = {
        {{"/v", "S"}, "S", Value::string("")},
        {{"/v", "Dw", "/t", "reg_dword", "/d", "0x1F"}, "Dw", Value::dword(31)},
        {{"/v", "Dz", "/t", "REG_DWORD"}, "Dz", Value::dword(0)},
        {{"/v", "Qw", "/t", "REG_QWORD", "/d", "18446744073709551615"}, "Qw", Value::qword(~std::uint64_t{0})},
        {{"/v", "Bi", "/t", "REG_BINARY", "/d", "00ff10"}, "Bi", Value::binary({0, 0xFF, 0x10})},
        {{"/v", "Ex", "/t", "REG_EXPAND_SZ", "/d", "%SystemRoot%\\x"}, "Ex", Value::expandString("%SystemRoot%\\x")},
        {{"/v", "Mu", "/t", "REG_MULTI_SZ", "/d", "a\\0b"}, "Mu", Value::multiString({"a", "b"})},
        {{"/v", "Ms", "/t", "REG_MULTI_SZ", "/s", ",", "/d", "a,,b"}, "Ms", Value::multiString({"a", "", "b"})},
        {{"/ve", "/d", "standard"}, "", Value::string("standard")},
        {{"-V", "Dash", "-D", "-5"}, "Dash", Value::string("-5")},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"add", "HKCU\\Software\\Types"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = reg(args);
        ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
        EXPECT_EQ(store.value(Hive::CurrentUser, "Software\\Types", c.name), c.expected) << c.name;
    }
    auto key = reg({"add", "HKCR\\.quill"});
    ASSERT_EQ(key.status, 0) << key.err;
    EXPECT_TRUE(store.keyExists(Hive::ClassesRoot, ".quill"));
}

TEST_F(Tools, FailuresExitWithOneAndSayWhy) {
    store.setValue(LM, "Software\\E", "there", Value::string("x"));
    windowsFile("bad.reg", "Windows Registry Editor Version 5.00\r\n\r\n[HKLM\\Software\\E]\r\n\"n\"=dword:zz\r\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"query", "HKLM\\Software\\Missing"}, "unable to find the specified registry key or value"},
        {{"query", "HKLM\\Software\\E", "/v", "missing"}, "unable to find"},
        {{"query", "HKXX\\Software"}, "Invalid key name \"HKXX\\Software\""},
        {{"query", "\\\\server\\HKLM\\Software"}, "Remote registries are not supported"},
        {{"query"}, "the KEY is missing"},
        {{"query", "HKLM\\Software\\E", "/x"}, "query does not take /x"},
        {{"query", "HKLM\\Software\\E", "extra"}, "unexpected argument \"extra\""},
        {{"frobnicate", "HKLM"}, "unknown operation \"frobnicate\""},
        {{"add", "HKLM\\Software\\E", "/v", "n", "/t", "REG_NONE"}, "Invalid type \"REG_NONE\""},
        {{"add", "HKLM\\Software\\E", "/v", "n", "/t", "REG_DWORD", "/d", "abc"}, "Invalid data \"abc\" for REG_DWORD"},
        {{"add", "HKLM\\Software\\E", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"}, "Invalid data"},
        {{"add", "HKLM\\Software\\E", "/v", "n", "/t", "REG_BINARY", "/d", "abc"}, "pairs of hex digits"},
        {{"add", "HKLM\\Software\\E", "/v"}, "/v needs an argument"},
        {{"add", "HKLM\\Software\\E", "/v", "a", "/ve"}, "only one of /v, /ve and /va"},
        {{"delete", "HKLM\\Software\\Missing", "/f"}, "unable to find"},
        {{"delete", "HKLM\\Software\\E", "/v", "missing", "/f"}, "unable to find"},
        {{"delete", "HKLM", "/f"}, "A whole hive cannot be deleted"},
        {{"import", "C:\\windows\\temp\\none.reg"}, "Cannot import C:\\windows\\temp\\none.reg"},
        {{"import", "C:\\windows\\temp\\bad.reg"}, "line 4: a dword needs 1 to 8 hex digits"},
        {{"export", "HKLM\\Software\\Missing", "C:\\windows\\temp\\x.reg"}, "unable to find"},
        {{"export", "HKLM\\Software\\E"}, "an argument is missing"},
    };
    const auto before = snapshot(store, LM, "");
    for (const auto& [args, message] : cases) {
        auto r = reg(args);
        EXPECT_EQ(r.status, 1) << args[0] << " " << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_EQ(snapshot(store, LM, ""), before);
}

TEST_F(Tools, APrefixThatWasNeverMadeIsAnError) {
    fs::path dir = testing_support::makeTempDirectory("quillon-unmade");
    for (const fs::path& where : {dir / "never", dir}) {
        RunOptions options;
        options.environment = {{"QUILLON_PREFIX", where.string()}, {"QUILLON_UI", "console"}};
        for (const auto& tool : {"quillon-reg", "regedit"}) {
            std::vector<std::string> args = std::string(tool) == "regedit"
                                                ? std::vector<std::string>{"/e", (dir / "x.reg").string()}
                                                : std::vector<std::string>{"add", "HKLM\\Software\\X"};
            auto r = runProgram(program(tool), args, options);
            EXPECT_EQ(r.status, 1) << tool;
            EXPECT_NE(r.err.find("has not been made"), std::string::npos) << r.err;
        }
    }
    EXPECT_FALSE(fs::exists(dir / "never"));
    EXPECT_FALSE(fs::exists(dir / "registry.db"));
    EXPECT_FALSE(fs::exists(dir / "x.reg"));
    fs::remove_all(dir);
}

TEST_F(Tools, OverwritingAndDeletingAskUnlessForced) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        bool changes;
    };
    const Case cases[] = {
        {{"add", "HKLM\\Software\\C", "/v", "v", "/d", "new"}, "", false},  // end of input is No
        {{"add", "HKLM\\Software\\C", "/v", "v", "/d", "new"}, "n\n", false},
        {{"add", "HKLM\\Software\\C", "/v", "v", "/d", "new"}, "maybe\nYes\n", true},
        {{"add", "HKLM\\Software\\C", "/v", "v", "/d", "new", "/F"}, "", true},
        {{"delete", "HKLM\\Software\\C", "/v", "v"}, "no\n", false},
        {{"delete", "HKLM\\Software\\C", "/v", "v"}, "y\n", true},
        {{"delete", "HKLM\\Software\\C"}, "", false},
        {{"delete", "HKLM\\Software\\C"}, "j\n", true},
        {{"delete", "HKLM\\Software\\C", "/va"}, "nein\n", false},
        {{"delete", "HKLM\\Software\\C", "/va", "/f"}, "", true},
    };
    for (const auto& c : cases) {
        store.deleteKey(LM, "Software\\C", Subtree::Delete);
        store.setValue(LM, "Software\\C", "v", Value::string("old"));
        store.setValue(LM, "Software\\C", "w", Value::string("other"));
        store.createKey(LM, "Software\\C\\Sub");
        const auto before = snapshot(store, LM, "Software\\C");
        auto r = reg(c.args, c.input);
        std::string what = c.args[0] + " " + c.args.back() + " <" + c.input + ">";
        EXPECT_EQ(r.status, c.changes ? 0 : 1) << what << r.err;
        EXPECT_EQ(snapshot(store, LM, "Software\\C") != before, c.changes) << what;
        if (!c.changes) {
            EXPECT_NE(r.err.find("cancelled by the user"), std::string::npos) << what;
        }
    }
    // What each deletion removed, and what it left.
    store.setValue(LM, "Software\\C", "v", Value::string("old"));
    ASSERT_EQ(reg({"delete", "HKLM\\Software\\C", "/va", "/f"}).status, 0);
    EXPECT_TRUE(store.values(LM, "Software\\C").empty());
    EXPECT_TRUE(store.keyExists(LM, "Software\\C\\Sub"));
    ASSERT_EQ(reg({"delete", "HKLM\\Software\\C", "/f"}).status, 0);
    EXPECT_FALSE(store.keyExists(LM, "Software\\C"));
}

TEST_F(Tools, ExportAndImportThroughTheProgram) {
    store.setValue(LM, "Software\\Io", "s", Value::string("Grüße"));
    store.setValue(LM, "Software\\Io\\Sub", "d", Value::dword(5));
    const auto original = snapshot(store, LM, "Software\\Io");
    const std::string file = platform::prefix::tempFolder() + "\\io.reg";
    const fs::path native = platform::prefix::toNative(file);

    auto exported = reg({"export", "HKLM\\Software\\Io", file});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string bytes = readFile(native);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(platform::utf16leToUtf8(bytes.substr(2)).rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);

    store.setValue(LM, "Software\\Io", "s", Value::string("changed"));
    auto kept = reg({"export", "HKLM\\Software\\Io", file});  // no /y and no answer: the file stays
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(readFile(native), bytes);
    ASSERT_EQ(reg({"export", "HKLM\\Software\\Io", file, "/y"}).status, 0);
    EXPECT_NE(readFile(native), bytes);

    writeFile(native, bytes);
    store.deleteKey(LM, "Software\\Io", Subtree::Delete);
    auto imported = reg({"import", file});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, kDone);
    EXPECT_EQ(snapshot(store, LM, "Software\\Io"), original);
}

// Texts from outside (stored names and values, file names, RunOnce commands) reach the
// terminal with their control characters shown, while the store and exported files keep them.
TEST_F(Tools, ControlCharactersFromOutsideAreShownNeverSentRaw) {
    const std::string clear = "\x1b[2J", title = "\x1b]0;owned\x07";
    store.setValue(LM, "Software\\Esc", "Name" + title, Value::string(clear + "data"));
    store.createKey(LM, "Software\\Esc\\Sub" + clear);
    store.setValue(LM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "x" + title,
                   Value::string(clear + "nothing-here.exe"));
    auto quillonPrefix = [](const std::vector<std::string>& args) {
        RunOptions options;
        options.timeoutSeconds = 30;
        return runProgram(program("quillon-prefix"), args, options);
    };
    struct Case {
        const char* what;
        std::function<ProgramResult()> run;
        std::string shown;  // expected on standard output or error
    };
    for (const Case& c : std::vector<Case>{
             {"query",
              [&] {
                  return reg({"query", "HKLM\\Software\\Esc"});
              },
              "Name^[]0;owned^G    REG_SZ    ^[[2Jdata"},
             {"query a subkey",
              [&] {
                  return reg({"query", "HKLM\\Software\\Esc"});
              },
              "Sub^[[2J"},
             {"bad data",
              [&] {
                  return reg({"add", "HKLM\\Software\\Esc", "/t", "REG_DWORD", "/d", clear});
              },
              "Invalid data \"^[[2J\""},
             {"regedit message",
              [&] {
                  return regedit({"/s", "C:\\missing" + title + ".reg"});
              },
              "missing^[]0;owned^G.reg"},
             {"boot", [&] { return quillonPrefix({"boot"}); }, "RunOnce x^[]0;owned^G: ^[[2Jnothing-here.exe"},
         }) {
        ProgramResult result = c.run();
        const std::string all = result.out + result.err;
        EXPECT_EQ(all.find_first_of("\x1b\x07"), std::string::npos) << c.what << ": " << all;
        EXPECT_NE(all.find(c.shown), std::string::npos) << c.what << ": " << all;
    }

    ASSERT_EQ(reg({"add", "HKLM\\Software\\Esc", "/v", "Raw", "/d", clear + "kept", "/f"}).status, 0);
    EXPECT_EQ(store.readText(LM, "Software\\Esc", "Raw", ""), clear + "kept");
    const std::string file = platform::prefix::tempFolder() + "\\esc.reg";
    ASSERT_EQ(reg({"export", "HKLM\\Software\\Esc", file}).status, 0);
    EXPECT_NE(platform::utf16leToUtf8(readFile(platform::prefix::toNative(file))).find(clear + "kept"),
              std::string::npos);
}

const std::string kImportFile =
    "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Orvane\\Imported]\r\n\"Title\"=\"Bäckerei\"\r\n";

TEST_F(Tools, RegeditAsksImportsAndReportsInGerman) {
    const std::string file = windowsFile("prod.reg", kImportFile);

    auto declined = regedit({file});  // no answer: No
    EXPECT_EQ(declined.status, 1);
    EXPECT_NE(declined.out.find("Möchten Sie die in \"" + file +
                                "\" enthaltenen Informationen wirklich zur Registrierung hinzufügen?"),
              std::string::npos)
        << declined.out;
    EXPECT_NE(declined.err.find("abgelehnt"), std::string::npos) << declined.err;
    EXPECT_FALSE(store.keyExists(LM, "Software\\Orvane\\Imported"));

    auto accepted = regedit({file}, "ja\n");
    ASSERT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_NE(accepted.out.find("Die in \"" + file +
                                "\" enthaltenen Schlüssel und Werte wurden erfolgreich zur Registrierung hinzugefügt."),
              std::string::npos)
        << accepted.out;
    EXPECT_EQ(store.readText(LM, "Software\\Orvane\\Imported", "Title", ""), "Bäckerei");
}

TEST_F(Tools, RegeditImportsSilentlyAndFailsWithTheReason) {
    const std::string file = windowsFile("quiet.reg", kImportFile);
    for (const std::string& arg : {file, "\"" + file + "\""}) {  // quotes as a script writes them
        store.deleteKey(LM, "Software\\Orvane\\Imported", Subtree::Delete);
        auto quiet = regedit({"/S", arg});
        ASSERT_EQ(quiet.status, 0) << quiet.err;
        EXPECT_EQ(quiet.out, "");
        EXPECT_EQ(store.readText(LM, "Software\\Orvane\\Imported", "Title", ""), "Bäckerei");
    }

    const std::string bad = windowsFile("bad.reg", kImportFile + "\"Broken\"=hex(4):01\r\n");
    store.deleteKey(LM, "Software\\Orvane\\Imported", Subtree::Delete);
    auto failed = regedit({bad}, "j\n");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("line 5: hex(4) data must be exactly 4 bytes"), std::string::npos) << failed.err;
    EXPECT_FALSE(store.keyExists(LM, "Software\\Orvane\\Imported"));

    auto missing = regedit({"/s", "C:\\windows\\temp\\nothing.reg"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nicht gefunden"), std::string::npos) << missing.err;
}

TEST_F(Tools, RegeditExportsAKeyOrEverything) {
    store.setValue(LM, "Software\\Ex", "v", Value::string("1"));
    store.setValue(Hive::CurrentUser, "Software\\Mine", "w", Value::string("2"));
    const std::string file = platform::prefix::tempFolder() + "\\ex.reg";
    const fs::path native = platform::prefix::toNative(file);

    ASSERT_EQ(regedit({"/e", file, "HKLM\\Software\\Ex"}).status, 0);
    std::string one = platform::utf16leToUtf8(readFile(native).substr(2));
    EXPECT_NE(one.find("[HKEY_LOCAL_MACHINE\\Software\\Ex]\r\n\"v\"=\"1\""), std::string::npos);
    EXPECT_EQ(one.find("Mine"), std::string::npos);

    ASSERT_EQ(regedit({"/a", file}).status, 0);
    std::string all = readFile(native);
    EXPECT_EQ(all.rfind("REGEDIT4\r\n", 0), 0u);
    for (const char* key : {"[HKEY_CLASSES_ROOT]", "[HKEY_CURRENT_USER\\Software\\Mine]",
                            "[HKEY_LOCAL_MACHINE\\Software\\Ex]", "[HKEY_USERS]"})
        EXPECT_NE(all.find(key), std::string::npos) << key;

    auto missing = regedit({"/e", file, "HKLM\\Software\\Nowhere"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nicht vorhanden"), std::string::npos) << missing.err;
}

// Whatever is at FILE when it is not a regular file stays as it was, and nothing else is left
// beside it: a link (to a file or dangling), a pipe, a folder.
TEST_F(Tools, ExportRefusesATargetThatIsNotARegularFile) {
    store.setValue(LM, "Software\\Ex", "v", Value::string("1"));
    const fs::path folder = platform::prefix::toNative(platform::prefix::tempFolder()) / "targets";
    const fs::path outside = prefix.root() / "outside.txt";
    struct Target {
        const char* name;
        std::function<void(const fs::path&)> make;
    };
    const std::vector<Target> targets = {
        {"link to a file", [&](const fs::path& p) { fs::create_symlink(outside, p); }},
        {"dangling link", [&](const fs::path& p) { fs::create_symlink(prefix.root() / "nothing", p); }},
        {"pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
        {"folder", [](const fs::path& p) { fs::create_directory(p); }},
    };
    for (const auto& target : targets) {
        for (const std::string tool : {"quillon-reg", "regedit"}) {
            SCOPED_TRACE(std::string(target.name) + " / " + tool);
            fs::remove_all(folder);
            fs::create_directories(folder);
            writeFile(outside, "untouched");
            const fs::path native = folder / "x.reg";
            target.make(native);
            const auto type = fs::symlink_status(native).type();
            const std::string file = platform::prefix::tempFolder() + "\\targets\\x.reg";
            auto result = tool == "quillon-reg" ? reg({"export", "HKLM\\Software\\Ex", file, "/y"})
                                                : regedit({"/e", file, "HKLM\\Software\\Ex"});
            EXPECT_EQ(result.status, 1);
            EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
            EXPECT_EQ(fs::symlink_status(native).type(), type);
            EXPECT_EQ(readFile(outside), "untouched");
            EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
        }
    }
}

// A prefix that root made, used by someone else: reads work on the read-only store, writes
// fail saying which prefix and which permission. Root passes every file mode, so the programs
// run as nobody.
TEST(ReadOnlyPrefix, OtherUsersReadItAndAreToldWhyTheyCannotWrite) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make the prefix and run programs as nobody";
    const fs::path root = testing_support::makeTempDirectory("quillon-root-prefix");
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    {
        auto store = RegistryStore::open(root / "registry.db");
        ASSERT_TRUE(store) << store.error();
        store->setValue(LM, "Software\\Ro", "v", Value::string("lesbar"));
    }  // the last writer is gone, as after `quillon-prefix init`
    writeFile(root / "import.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Ro]\r\n\"w\"=\"x\"\r\n");
    ::chmod((root / "import.reg").c_str(), 0644);

    auto asNobody = [&](const std::string& name, std::vector<std::string> args) {
        args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", program(name).string()});
        RunOptions options;
        options.environment = {{"QUILLON_PREFIX", root.string()}, {"QUILLON_UI", "console"}};
        options.timeoutSeconds = 30;
        return runProgram("/usr/bin/setpriv", args, options);
    };
    auto read = asNobody("quillon-reg", {"query", "HKLM\\Software\\Ro", "/v", "v"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_NE(read.out.find("v    REG_SZ    lesbar"), std::string::npos) << read.out;

    const std::string refusal = "cannot change the registry of the prefix " + root.string() +
                                ": no write permission for user nobody on the registry store " +
                                (root / "registry.db").string();
    auto added = asNobody("quillon-reg", {"add", "HKLM\\Software\\Ro", "/v", "w", "/d", "x", "/f"});
    EXPECT_EQ(added.status, 1);
    EXPECT_NE(added.err.find(refusal), std::string::npos) << added.err;
    auto imported = asNobody("regedit", {"/s", (root / "import.reg").string()});
    EXPECT_EQ(imported.status, 1);
    EXPECT_NE(imported.err.find(refusal), std::string::npos) << imported.err;

    // Without the WAL files, which only a writer can make, reading fails and says so.
    fs::rename(root / "registry.db-shm", root / "kept-shm");
    auto unreadable = asNobody("quillon-reg", {"query", "HKLM\\Software\\Ro", "/v", "v"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_NE(unreadable.err.find("registry.db-shm is missing"), std::string::npos) << unreadable.err;
    fs::rename(root / "kept-shm", root / "registry.db-shm");

    auto store = RegistryStore::open(root / "registry.db");
    ASSERT_TRUE(store) << store.error();
    EXPECT_FALSE(store->value(LM, "Software\\Ro", "w").has_value());
    std::error_code ec;
    fs::remove_all(root, ec);
}

TEST(RegeditInPrefix, RunsAsTheWindowsFoldersRegeditExe) {
    TestPrefix prefix(Libraries::Registered);
    fs::path exe = platform::prefix::nativePath(platform::prefix::Folder::Windows) / "regedit.exe";
    ASSERT_TRUE(fs::exists(exe));
    std::string file = platform::prefix::tempFolder() + "\\prefix.reg";
    writeFile(platform::prefix::toNative(file), kImportFile);
    auto r = runProgram(exe, {"/s", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RegistryStore::forPrefix().readText(LM, "Software\\Orvane\\Imported", "Title", ""), "Bäckerei");
}

}  // namespace
