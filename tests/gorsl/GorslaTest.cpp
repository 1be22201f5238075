// SPDX-License-Identifier: Apache-2.0
// Gorsla through the registered library: text, path and file operations.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include "tests/gorsl/GorslTesting.h"

namespace gorsl_testing {
namespace {

using platform::com::False;
using platform::com::True;

class Gorsla : public RegisteredPrefix {};

TEST_F(Gorsla, SplitsWordsAtTheFirstSpaceOnly) {
    struct Case {
        const char* text;
        const char* first;
        const char* rest;
    };
    const Case cases[] = {
        {"", "", ""},
        {"s", "s", ""},
        {"s Produkt X", "s", "Produkt X"},
        {"u  key 1", "u", " key 1"},  // runs of blanks: the rest keeps them
        {" lead", "", "lead"},
        {"tab\tsplits not", "tab\tsplits", "not"},
        {"\"quoted word\" x", "\"quoted", "word\" x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tools->FirstWord(c.text), c.first) << c.text;
        EXPECT_EQ(tools->RestAfterFirstWord(c.text), c.rest) << c.text;
    }
}

TEST_F(Gorsla, DropsCharactersNotBytes) {
    EXPECT_EQ(tools->DropTrailing("Quillon.exe", 4), "Quillon");
    EXPECT_EQ(tools->DropLeading("\"quoted\"", 1), "quoted\"");
    EXPECT_EQ(tools->DropTrailing("Grüße", 1), "Grüß");
    EXPECT_EQ(tools->DropLeading("Äpfel", 1), "pfel");
    EXPECT_EQ(tools->DropLeading("abc", 0), "abc");
    EXPECT_EQ(tools->DropTrailing("abc", 3), "");
    EXPECT_EQ(tools->DropLeading("abc", 7), "");
    EXPECT_EQ(errorNumberOf([&] { tools->DropTrailing("abc", -1); }), 5);
}

TEST_F(Gorsla, SplitsTextsAndFindsItems) {
    auto pieces = tools->SplitText("a.txt;;b.txt;", ";", 0);
    EXPECT_EQ(pieces->Items(), (std::vector<std::string>{"a.txt", "", "b.txt", ""}));
    EXPECT_EQ(tools->SplitText("", ";", 0)->Count(), 0);
    EXPECT_EQ(tools->SplitText("a<>b", "<>", 0)->Items(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(errorNumberOf([&] { tools->SplitText("a;b", ";", 1); }), 5);

    EXPECT_EQ(tools->CollectionContains(pieces.get(), "b.txt"), True);
    EXPECT_EQ(tools->CollectionContains(pieces.get(), "B.TXT"), False);  // equal texts only
    EXPECT_EQ(tools->CollectionContains(pieces.get(), ""), True);
    EXPECT_EQ(tools->CollectionContains(nullptr, "a.txt"), False);
}

TEST_F(Gorsla, ReadsFixedTextFieldsUpToTheirEnd) {
    std::string field(260, '\0');
    field.replace(0, 9, "dir\\a.txt");
    field[200] = 'x';  // after the end marker: not part of the text
    EXPECT_EQ(tools->FixedTextToString(field), "dir\\a.txt");
    EXPECT_EQ(tools->FixedTextToString("no end marker"), "no end marker");
    EXPECT_EQ(tools->FixedTextToString(std::string("M\xE4rz\0", 5)), "März");  // Windows-1252
    EXPECT_EQ(tools->FixedTextToString("März"), "März");                       // already UTF-8
}

TEST_F(Gorsla, TakesPathsApartByText) {
    struct Case {
        const char* path;
        const char* name;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\a\\b.txt", "b.txt", "C:\\a"},
        {"C:\\b.txt", "b.txt", "C:\\"},
        {"\\b.txt", "b.txt", "\\"},
        {"updates/prod/x.zip", "x.zip", "updates/prod"},
        {"\\\\server\\share\\x.zip", "x.zip", "\\\\server\\share"},
        {"C:\\a\\", "", "C:\\a"},
        {"x.zip", "x.zip", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tools->FileNamePart(c.path, 0), c.name) << c.path;
        EXPECT_EQ(tools->FolderPart(c.path), c.folder) << c.path;
    }
    EXPECT_EQ(errorNumberOf([&] { tools->FileNamePart("a\\b", 1); }), 5);
}

TEST_F(Gorsla, AnswersReadinessTruthAndAnnouncement) {
    EXPECT_EQ(tools->Ready(), True);
    EXPECT_NO_THROW(tools->AnnounceProgram("Quillon", "1.0", "C:\\Program Files\\Quillon", "Quillon.exe"));
    EXPECT_EQ(tools->TruthValue(True), True);
    EXPECT_EQ(tools->TruthValue(False), False);
    EXPECT_EQ(tools->TruthValue(1), True);
}

TEST_F(Gorsla, SeesFilesThroughThePrefix) {
    writeFile(native("C:\\Data\\Report.TXT"), "x");
    EXPECT_EQ(tools->FileExists("C:\\Data\\Report.TXT"), True);
    EXPECT_EQ(tools->FileExists("c:/data/report.txt"), True);  // letter case and separators as on the host
    EXPECT_EQ(tools->FileExists("C:\\Data"), False);           // a folder is no file
    EXPECT_EQ(tools->FileExists("C:\\Data\\missing.txt"), False);
    EXPECT_EQ(tools->FileExists(""), False);
}

TEST_F(Gorsla, CreatesFoldersWithTheirParents) {
    tools->CreateFolder("C:\\Program Files\\Common Files\\Orvane\\InstallLogs");
    EXPECT_TRUE(fs::is_directory(native("C:\\Program Files\\Common Files\\Orvane\\InstallLogs")));
    EXPECT_NO_THROW(tools->CreateFolder("C:\\Program Files\\Common Files\\Orvane"));  // already there

    writeFile(native("C:\\blocker"), "a file");
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { tools->CreateFolder("C:\\blocker"); }), 75);
    EXPECT_EQ(errorNumberOf([&] { tools->CreateFolder("C:\\blocker\\sub"); }, &description), 76);
    EXPECT_NE(description.find("C:\\blocker\\sub"), std::string::npos) << description;
}

TEST_F(Gorsla, CopiesAsTheOverwriteFlagSays) {
    writeFile(native("C:\\src\\new.dll"), "new");
    writeFile(native("C:\\dst\\old.dll"), "old");
    ::chmod(native("C:\\src\\new.dll").c_str(), 0640);

    tools->CopyFile("C:\\src\\new.dll", "C:\\dst\\old.dll", False);  // keeps what is there
    EXPECT_EQ(readFile(native("C:\\dst\\old.dll")), "old");
    tools->CopyFile("C:\\src\\new.dll", "C:\\dst\\old.dll", True);
    EXPECT_EQ(readFile(native("C:\\dst\\old.dll")), "new");
    tools->CopyFile("C:\\src\\new.dll", "C:\\dst\\fresh.dll", False);
    EXPECT_EQ(readFile(native("C:\\dst\\fresh.dll")), "new");
    EXPECT_EQ(fs::status(native("C:\\dst\\fresh.dll")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(readFile(native("C:\\src\\new.dll")), "new");
}

TEST_F(Gorsla, AFailedCopyRaisesNothingAndLeavesTheDestination) {
    writeFile(native("C:\\src\\x.dll"), "new");
    writeFile(native("C:\\dst\\kept.dll"), "kept");
    fs::create_directories(native("C:\\dst\\folder.dll"));
    fs::create_symlink(native("C:\\dst\\kept.dll"), native("C:\\dst\\link.dll"));
    // A regular file whose reading fails: the copy fails after its temporary file was made.
    fs::create_symlink("/proc/self/mem", native("C:\\src\\unreadable.dll"));
    const std::set<std::string> before = {"folder.dll", "kept.dll", "link.dll"};

    struct Case {
        const char* what;
        const char* source;
        const char* destination;
    };
    const Case cases[] = {
        // Refused before a temporary file exists.
        {"a source that still holds its quotes, as a script may pass it", "\"C:\\src\\x.dll\"", "C:\\dst\\x.dll"},
        {"a missing source", "C:\\src\\missing.dll", "C:\\dst\\kept.dll"},
        {"a missing destination folder", "C:\\dst\\kept.dll", "C:\\no\\such\\folder\\x.dll"},
        // Refused once the temporary file beside the destination holds the data.
        {"a folder at the destination", "C:\\src\\x.dll", "C:\\dst\\folder.dll"},
        {"a link at the destination", "C:\\src\\x.dll", "C:\\dst\\link.dll"},
        {"a source that fails while it is read", "C:\\src\\unreadable.dll", "C:\\dst\\x.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NO_THROW(tools->CopyFile(c.source, c.destination, True));
        std::set<std::string> after;
        for (const auto& entry : fs::directory_iterator(native("C:\\dst"))) after.insert(entry.path().filename());
        EXPECT_EQ(after, before);  // no temporary file left behind
        EXPECT_EQ(readFile(native("C:\\dst\\kept.dll")), "kept");
        EXPECT_TRUE(fs::is_symlink(native("C:\\dst\\link.dll")));
        EXPECT_TRUE(fs::is_empty(native("C:\\dst\\folder.dll")));
    }
}

TEST_F(Gorsla, WritesTextFilesExactlyOrRaises) {
    const std::string shortcut = "[InternetShortcut]\r\nURL=https://example.org/\r\n";
    tools->CreateFolder("C:\\users\\Public\\Favorites\\Web-Links");
    tools->WriteTextFile("C:\\users\\Public\\Favorites\\Web-Links\\Orvane.url", shortcut);
    EXPECT_EQ(readFile(native("C:\\users\\Public\\Favorites\\Web-Links\\Orvane.url")), shortcut);
    tools->WriteTextFile("C:\\users\\Public\\Favorites\\Web-Links\\Orvane.url", "Grüße");
    EXPECT_EQ(readFile(native("C:\\users\\Public\\Favorites\\Web-Links\\Orvane.url")), "Grüße");

    std::string description;
    EXPECT_EQ(errorNumberOf([&] { tools->WriteTextFile("C:\\missing\\folder\\x.url", "x"); }, &description), 76);
    EXPECT_NE(description.find("C:\\missing\\folder\\x.url"), std::string::npos) << description;
    fs::create_directories(native("C:\\windows\\temp\\a folder"));
    EXPECT_EQ(errorNumberOf([&] { tools->WriteTextFile("C:\\windows\\temp\\a folder", "x"); }), 75);
}

TEST_F(Gorsla, PreparesAnEmptyOutputFile) {
    tools->PrepareOutputFile("C:\\windows\\temp\\Patched.tmp");
    EXPECT_TRUE(fs::is_regular_file(native("C:\\windows\\temp\\Patched.tmp")));
    EXPECT_EQ(fs::file_size(native("C:\\windows\\temp\\Patched.tmp")), 0u);
    writeFile(native("C:\\windows\\temp\\Patched.tmp"), "stale");
    tools->PrepareOutputFile("C:\\windows\\temp\\Patched.tmp");
    EXPECT_EQ(fs::file_size(native("C:\\windows\\temp\\Patched.tmp")), 0u);
    EXPECT_EQ(errorNumberOf([&] { tools->PrepareOutputFile("C:\\missing\\Patched.tmp"); }), 76);
}

}  // namespace
}  // namespace gorsl_testing
