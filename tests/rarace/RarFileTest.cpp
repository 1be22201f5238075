// SPDX-License-Identifier: Apache-2.0
// RARFile: listing and extracting through the unrar stand-in, with its events, its file list
// and its destinations as the component passes them, over self-made archives and the fixtures.
#include <unistd.h>

#include "platform/com/Creation.h"
#include "tests/rarace/Rar5Writer.h"
#include "tests/rarace/RarFixture.h"
#include "tests/support/Files.h"
#include "velpack/frame/ToolLibrary.h"

namespace rar_tests {
namespace {

using testing_support::crcOf;
using testing_support::readFile;
using testing_support::treeOf;
using testing_support::writeFile;
using Kind = Rar5Entry::Kind;

class RarFile : public PrefixTest {
protected:
    // A stored RAR 5 archive at C:\in\NAME.
    std::string archive(const std::string& name, const std::vector<Rar5Entry>& entries) {
        writeFile(driveC / "in" / name, rar5Archive(entries));
        return "C:\\in\\" + name;
    }
};

const std::vector<Rar5Entry> kSmallTree = {
    {"a.txt", "alpha"},
    {"d", "", Kind::Folder},
    {"d/b.txt", "beta"},
};

TEST_F(RarFile, ExtractsBelowTheDestinationWithOrWithoutATrailingSeparator) {
    std::string name = archive("t.rar", kSmallTree);
    for (const char* destination : {"C:\\out", "C:\\out2\\"}) {
        RarObject object(name);
        EXPECT_EQ(object->Extract(destination, ""), 1) << destination;
        EXPECT_EQ(object.sink->events,
                  (std::vector<std::string>{"Extracting|a.txt", "Extracted|a.txt|True", "Extracting|d",
                                            "Extracted|d|True", "Extracting|d\\b.txt", "Extracted|d\\b.txt|True"}));
    }
    for (const char* folder : {"out", "out2"}) {
        EXPECT_EQ(treeOf(driveC / folder), (std::vector<std::string>{"a.txt", "d", "d/b.txt"})) << folder;
        EXPECT_EQ(readFile(driveC / folder / "d/b.txt"), "beta");
    }
}

TEST_F(RarFile, AnEmptyDestinationExtractsBelowTheWorkingDirectory) {
    std::string name = archive("t.rar", kSmallTree);
    fs::create_directories(driveC / "cwd");
    fs::path previous = fs::current_path();
    fs::current_path(driveC / "cwd");
    RarObject object(name);
    std::int32_t result = object->Extract("", "");
    fs::current_path(previous);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(treeOf(driveC / "cwd"), (std::vector<std::string>{"a.txt", "d", "d/b.txt"}));
}

TEST_F(RarFile, AFileListSelectsByTheLowerCasedEntryName) {
    std::string name =
        archive("t.rar", {{"a.txt", "a"}, {"B.TXT", "b"}, {"c.txt", "c"}, {"d/a.txt", "da"}, {"ÄRGER.TXT", "ä"}});
    RarObject object(name);
    // Only the entry name is lower-cased: the list item "C.txt" matches nothing.
    EXPECT_EQ(object->Extract("C:\\out", "a.txt;b.txt;C.txt;ärger.txt"), 1);
    EXPECT_EQ(object.sink->events,
              (std::vector<std::string>{"Extracting|a.txt", "Extracted|a.txt|True", "Extracting|B.TXT",
                                        "Extracted|B.TXT|True", "Extracting|ÄRGER.TXT", "Extracted|ÄRGER.TXT|True"}));
    EXPECT_EQ(treeOf(driveC / "out"), (std::vector<std::string>{"B.TXT", "a.txt", "ÄRGER.TXT"}));
}

TEST_F(RarFile, AnUnopenableArchiveGivesAnEmptyListingAndNoEvents) {
    writeFile(driveC / "in/junk.rar", "not an archive at all");
    for (const char* name : {"C:\\in\\junk.rar", "C:\\in\\missing.rar", ""}) {
        RarObject object(name);
        EXPECT_EQ(object->View(), platform::com::False) << name;
        ASSERT_TRUE(object->get_ArchiveContents()) << name;
        EXPECT_EQ(object->get_ArchiveContents()->Count(), 0) << name;
        EXPECT_EQ(object->Extract("C:\\out", ""), -1) << name;
        EXPECT_TRUE(object.sink->events.empty()) << name;
    }
    EXPECT_FALSE(fs::exists(driveC / "out"));
}

TEST_F(RarFile, ViewListsEveryEntryAndReplacesTheLastListing) {
    std::string name = archive("t.rar", kSmallTree);
    RarObject object(name);
    object->put_Password("ignored");
    EXPECT_EQ(object->View(), platform::com::True);
    EXPECT_EQ(object.contents(), (std::vector<std::string>{"a.txt", "d", "d\\b.txt"}));
    velpack::Ptr<velpack::IStringCollection> first = object->get_ArchiveContents();
    EXPECT_EQ(object->View(), platform::com::True);
    EXPECT_NE(object->get_ArchiveContents().get(), first.get());
    EXPECT_EQ(first->Count(), 3);
    EXPECT_TRUE(object.sink->events.empty());
}

TEST_F(RarFile, UnsafeEntriesFailAndTheRestComeOut) {
    std::string name = archive("evil.rar", {{"../escape.txt", "x"},
                                            {"/abs.txt", "x"},
                                            {"ok/../../up.txt", "x"},
                                            {"link", "../../outside", Kind::SymbolicLink},
                                            {"inner", "ok.txt", Kind::SymbolicLink},
                                            {"ok.txt", "fine"}});
    RarObject object(name);
    EXPECT_EQ(object->Extract("C:\\out\\sub", ""), 1);
    EXPECT_EQ(object.sink->events,
              (std::vector<std::string>{"Extracting|..\\escape.txt", "Extracted|..\\escape.txt|False",
                                        "Extracting|\\abs.txt", "Extracted|\\abs.txt|False",
                                        "Extracting|ok\\..\\..\\up.txt", "Extracted|ok\\..\\..\\up.txt|False",
                                        "Extracting|link", "Extracted|link|False", "Extracting|inner",
                                        "Extracted|inner|True", "Extracting|ok.txt", "Extracted|ok.txt|True"}));
    EXPECT_EQ(treeOf(driveC / "out"), (std::vector<std::string>{"sub", "sub/inner -> ok.txt", "sub/ok.txt"}));
    EXPECT_EQ(treeOf(driveC / "in"), (std::vector<std::string>{"evil.rar"}));
}

TEST_F(RarFile, DamagedDataLeavesNoFile) {
    std::string bytes = rar5Archive({{"a.txt", std::string(5000, 'a')}, {"b.txt", "b"}});
    // Cut inside a.txt's data: its data ends early and nothing after it can be read.
    writeFile(driveC / "in/cut.rar", bytes.substr(0, bytes.size() / 2));
    RarObject object("C:\\in\\cut.rar");
    EXPECT_EQ(object->Extract("C:\\out", ""), 1);
    EXPECT_EQ(object.sink->events, (std::vector<std::string>{"Extracting|a.txt", "Extracted|a.txt|False"}));
    EXPECT_EQ(treeOf(driveC / "out"), std::vector<std::string>{});
}

TEST_F(RarFile, IsMadeThroughTheRegistryAndFindsTheToolLibraryThere) {
    testing_support::TestPrefix registered(testing_support::Libraries::Registered);
    velpack::useGorsla(nullptr);
    writeFile(registered / "drive_c/in/t.rar", rar5Archive(kSmallTree));
    auto rar = platform::com::createObject<velpack::IRARFile>(velpack::kRARFileProgId);
    rar->put_ArchiveName("C:\\in\\t.rar");
    EXPECT_EQ(rar->Extract("C:\\out", "d\\b.txt"), 1);
    EXPECT_EQ(treeOf(registered / "drive_c/out"), (std::vector<std::string>{"d", "d/b.txt"}));
}

// ---- The fixtures ----

class RarFixtures : public RarFile {
protected:
    void SetUp() override { SKIP_WITHOUT_RAR_FIXTURES(); }
    // Extracts the fixture to C:\out and returns the events.
    std::vector<std::string> extract(const std::string& fixtureName, const std::string& files = "") {
        RarObject object(fixture(fixtureName).string());
        EXPECT_EQ(object->Extract("C:\\out", files), 1) << fixtureName;
        return object.sink->events;
    }
    std::uint32_t crcOut(const std::string& name) { return crcOf(readFile(driveC / "out" / name)); }
};

TEST_F(RarFixtures, ExtractWithTheirContents) {
    struct Case {
        const char* archive;
        const char* file;
        std::uint32_t crc;
    } cases[] = {
        {"test_read_format_rar5_compressed.rar", "test.bin", 0x7CCA70CD},
        {"test_read_format_rar5_solid.rar", "test1.bin", 0x7E13B2C6},
        {"test_read_format_rar5_solid.rar", "test6.bin", 0x36A448FF},
        {"test_read_format_rar5_arm.rar", "elf-Linux-ARMv7-ls", 0x886F91EB},
        {"test_read_format_rar5_blake2.rar", "cebula.txt", 0x7E5EC49E},
        {"test_read_format_rar5_multiarchive.part01.rar", "home/antek/temp/build/unrar5/libarchive/bin/bsdcat_test",
         0x35277473},
        {"test_read_format_rar5_multiarchive.part01.rar", "home/antek/temp/build/unrar5/libarchive/bin/bsdtar_test",
         0xE59665F8},
        {"test_read_format_rar5_multiarchive_solid.part01.rar", "elf-Linux-ARMv7-ls", 0x886F91EB},
        {"test_read_format_rar5_multiarchive_solid.part01.rar", "test4.bin", 0x10C43ED4},
        {"test_read_format_rar.rar", "test.txt", crcOf("test text document\r\n")},
        {"test_read_format_rar.rar", "testdir/test.txt", crcOf("test text document\r\n")},
        {"test_read_format_rar_windows.rar", "testdir/test.txt", crcOf("test text file\r\n")},
        {"test_read_format_rar_unicode.rar", "表だよ/漢字長いファイル名long-filename-in-漢字.txt", crcOf("kanji")},
        {"test_read_format_rar5_stored.rar", "helloworld.txt", crcOf("hello libarchive test suite!\n")},
    };
    for (const Case& c : cases) {
        fs::remove_all(driveC / "out");
        std::vector<std::string> events = extract(c.archive);
        EXPECT_EQ(
            std::count_if(events.begin(), events.end(), [](const std::string& e) { return e.ends_with("|False"); }), 0)
            << c.archive;
        EXPECT_EQ(crcOut(c.file), c.crc) << c.archive << " " << c.file;
    }
}

TEST_F(RarFixtures, LargerRar4EntriesAndVolumesComeOutWhole) {
    extract("test_read_format_rar_compress_normal.rar");
    std::string html = readFile(driveC / "out/testdir/LibarchiveAddingTest.html");
    EXPECT_EQ(html.size(), 20111u);
    EXPECT_TRUE(html.ends_with("<P STYLE=\"margin-bottom: 0in\"><BR>\n</P>\n</BODY>\n</HTML>"));
    EXPECT_EQ(fs::read_symlink(driveC / "out/testlink"), "LibarchiveAddingTest.html");

    fs::remove_all(driveC / "out");
    extract("test_rar_multivolume_single_file.part1.rar");
    EXPECT_EQ(readFile(driveC / "out/LibarchiveAddingTest.html"), html);

    fs::remove_all(driveC / "out");
    extract("test_read_format_rar_filter.rar");
    std::string exe = readFile(driveC / "out/bsdcat.exe");
    EXPECT_EQ(exe.size(), 204288u);
    EXPECT_EQ(exe.substr(0, 12), std::string("\x4D\x5A\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00", 12));
}

TEST_F(RarFixtures, EncryptedEntriesFailOneByOneAndLeaveNothing) {
    for (const char* name : {"test_read_format_rar4_encrypted.rar", "test_read_format_rar5_encrypted.rar"}) {
        fs::remove_all(driveC / "out");
        RarObject object(fixture(name).string());
        object->put_Password("password");  // libarchive cannot decrypt: it changes nothing
        EXPECT_EQ(object->Extract("C:\\out", ""), 1);
        EXPECT_EQ(object.sink->events,
                  (std::vector<std::string>{"Extracting|a.txt", "Extracted|a.txt|True", "Extracting|b.txt",
                                            "Extracted|b.txt|False", "Extracting|c.txt", "Extracted|c.txt|True",
                                            "Extracting|d.txt", "Extracted|d.txt|False"}))
            << name;
        EXPECT_EQ(treeOf(driveC / "out"), (std::vector<std::string>{"a.txt", "c.txt"})) << name;
        EXPECT_EQ(readFile(driveC / "out/c.txt"), "This is from c.txt");
    }
}

TEST_F(RarFixtures, WhatLibarchiveCannotReadFailsCleanly) {
    EXPECT_EQ(extract("test_read_format_rar4_solid_encrypted.rar"),
              (std::vector<std::string>{"Extracting|a.txt", "Extracted|a.txt|False"}));
    // libarchive 3.6.2 cannot decode this RAR 3 stream (later versions can).
    EXPECT_EQ(extract("test_read_format_rar3_lowdist_reset.rar"),
              (std::vector<std::string>{"Extracting|lowdist-reset.bin", "Extracted|lowdist-reset.bin|False"}));
    EXPECT_TRUE(extract("test_read_format_rar_encryption_header.rar").empty());
    EXPECT_EQ(treeOf(driveC / "out"), std::vector<std::string>{});
}

TEST_F(RarFixtures, ASelfExtractingArchiveExtractsLikeItsArchive) {
    writeFile(driveC / "in/setup.exe",
              "MZ" + std::string(40000, '\x90') + readFile(fixture("test_read_format_rar.rar")));
    RarObject object("C:\\in\\setup.exe");
    EXPECT_EQ(object->Extract("C:\\out", "test.txt;testdir\\test.txt"), 1);
    EXPECT_EQ(treeOf(driveC / "out"), (std::vector<std::string>{"test.txt", "testdir", "testdir/test.txt"}));
}

TEST_F(RarFixtures, MalformedArchivesWriteNothingOutside) {
    std::vector<std::string> before = treeOf(driveC);
    int tried = 0;
    for (const auto& item : fs::directory_iterator(fixtureFolder())) {
        std::string name = item.path().filename().string();
        if (unreadableUnderSanitizer(name)) continue;
        bool malformed = name.find("invalid") != std::string::npos || name.find("overflow") != std::string::npos ||
                         name.find("huge") != std::string::npos || name.find("use_after_free") != std::string::npos ||
                         name.find("leftshift") != std::string::npos || name.find("window") != std::string::npos ||
                         name.find("truncated") != std::string::npos || name.find("bad_") != std::string::npos ||
                         name.find("loop_bug") != std::string::npos || name.find("underflow") != std::string::npos ||
                         name.find("dirdata") != std::string::npos || name.find("leak") != std::string::npos ||
                         name.find("nonempty_dir") != std::string::npos || name.find("too_small") != std::string::npos;
        if (!malformed) continue;
        RarObject object(item.path().string());
        object->View();
        object->Extract("C:\\out\\" + name, "");
        ++tried;
    }
    EXPECT_GT(tried, 20);
    std::vector<std::string> after = treeOf(driveC);
    std::erase_if(after, [](const std::string& path) { return path == "out" || path.starts_with("out/"); });
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace rar_tests
