// SPDX-License-Identifier: Apache-2.0
// ZIPFile over the addzip library: listing and extracting what the peer archivers make,
// archives it makes itself checked by the peers, and the settings that stay between runs.
#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "platform/com/Error.h"
#include "platform/standins/addzip/Messages.h"
#include "tests/support/TestPrefix.h"
#include "tests/zip/ZipFixture.h"

namespace zip_tests {
namespace {

using addzip::AddZipCode;
using addzip::WarningCode;
using Lines = std::vector<std::string>;

std::string code(AddZipCode c) {
    return std::to_string(static_cast<int>(c));
}
std::string code(WarningCode c) {
    return std::to_string(static_cast<int>(c));
}

// A small tree with text, binary and nested files and fixed modification times.
struct SourceTree {
    explicit SourceTree(const fs::path& where) : root(where) {
        std::string binary;
        for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7919) ^ (i >> 3));
        files = {{"top.txt", "top level\n"},
                 {"docs/readme.txt", std::string(5000, 'r')},
                 {"docs/deep/data.bin", binary},
                 {"docs/deep/empty.dat", ""}};
        std::time_t when = 1700000000;  // 2023-11-14
        for (auto& [name, content] : files) {
            writeFile(root / name, content);
            struct utimbuf times {
                when, when
            };
            ::utime((root / name).c_str(), &times);
            when += 3601;  // odd seconds: the DOS time alone could not keep them
        }
    }
    std::time_t modified(const std::string& name) const {
        struct stat st {};
        ::stat((root / name).c_str(), &st);
        return st.st_mtime;
    }
    fs::path root;
    std::vector<std::pair<std::string, std::string>> files;
};

class ZipFileTest : public ScratchTest {
protected:
    // The names, sizes, CRCs and dates the listing reports, against the source tree.
    void expectListingMatches(ZipObject& z, const SourceTree& tree) {
        Lines views = z.sink->named("View");
        ASSERT_EQ(views.size(), tree.files.size()) << testing::PrintToString(z.sink->events);
        Lines contents = z.contents();
        for (const auto& [name, content] : tree.files) {
            std::string windowsName = name;
            for (char& c : windowsName)
                if (c == '/') c = '\\';
            std::size_t slash = windowsName.rfind('\\');
            std::string path = slash == std::string::npos ? "" : windowsName.substr(0, slash);
            std::string file = windowsName.substr(slash == std::string::npos ? 0 : slash + 1);
            EXPECT_NE(std::find(contents.begin(), contents.end(), path + "\\" + file), contents.end()) << name;
            char crc[9];
            std::snprintf(crc, sizeof crc, "%08X", crcOf(content));
            std::time_t t = tree.modified(name);
            std::tm tm{};
            localtime_r(&t, &tm);
            char date[16], time[16];
            std::strftime(date, sizeof date, "%Y-%m-%d", &tm);
            std::strftime(time, sizeof time, "%H:%M:%S", &tm);
            std::string prefix = "View|" + path + "|" + file + "|" + std::to_string(content.size()) + "|";
            auto it =
                std::find_if(views.begin(), views.end(), [&](const std::string& v) { return v.rfind(prefix, 0) == 0; });
            ASSERT_NE(it, views.end()) << prefix << "\n" << testing::PrintToString(views);
            EXPECT_NE(it->find(std::string("|") + date + "|" + time + "|"), std::string::npos) << *it;
            EXPECT_NE(it->find(std::string("|") + crc + "|"), std::string::npos) << *it;
        }
    }

    void expectExtractedMatches(const fs::path& out, const SourceTree& tree) {
        for (const auto& [name, content] : tree.files) {
            ASSERT_TRUE(fs::exists(out / name)) << name;
            EXPECT_EQ(readFile(out / name), content) << name;
            struct stat st {};
            ::stat((out / name).c_str(), &st);
            EXPECT_EQ(st.st_mtime, tree.modified(name)) << name;
        }
    }
};

TEST_F(ZipFileTest, ListsAndExtractsWhatThePeerArchiversMake) {
    SourceTree tree(dir / "src");
    struct Peer {
        const char* program;
        std::vector<std::string> args;
    } peers[] = {
        {"zip", {"-q", "-r", (dir / "by-zip.zip").string(), "."}},
        {"7zz", {"a", "-tzip", "-bso0", "-bsp0", (dir / "by-7zz.zip").string(), "."}},
    };
    for (const Peer& peer : peers) {
        SCOPED_TRACE(peer.program);
        auto made = runPeer(peer.program, peer.args, tree.root);
        ASSERT_EQ(made.status, 0) << made.err;
        fs::path archive = dir / (std::string("by-") + peer.program + ".zip");

        ZipObject z;
        z.zip->put_ArchiveName(archive.string());
        z.zip->View();
        expectListingMatches(z, tree);

        fs::path out = dir / (std::string("out-") + peer.program);
        std::int32_t result = z.zip->Extract(out.string());
        EXPECT_EQ(result, static_cast<std::int32_t>(tree.files.size())) << testing::PrintToString(z.sink->events);
        expectExtractedMatches(out, tree);
        EXPECT_EQ(z.sink->named("Unzipped").size(), tree.files.size());
        EXPECT_TRUE(z.sink->named("Error").empty()) << testing::PrintToString(z.sink->events);
    }
}

TEST_F(ZipFileTest, ArchivesItMakesPassThePeersTestsInEveryLevel) {
    SourceTree tree(dir / "src");
    for (velpack::azCompressionLevels level :
         {velpack::azcNone, velpack::azcMinimum, velpack::azcNormal, velpack::azcMaximum}) {
        SCOPED_TRACE(level);
        fs::path archive = dir / ("level" + std::to_string(level) + ".zip");
        ZipObject z;
        z.zip->put_ArchiveName(archive.string());
        z.zip->put_CompressionLevel(level);
        z.zip->put_Recurse(platform::com::True);
        z.zip->put_SaveStructure(velpack::azsRelative);
        EXPECT_EQ(z.zip->Compress((tree.root / "*.*").string()), static_cast<std::int32_t>(tree.files.size()))
            << testing::PrintToString(z.sink->events);
        EXPECT_EQ(z.sink->named("Zipped").size(), tree.files.size());
        EXPECT_FALSE(z.sink->named("Searching").empty());
        EXPECT_EQ(z.sink->named("Copied").size(), 1u);

        auto unzip = runPeer("unzip", {"-t", "-q", archive.string()});
        EXPECT_EQ(unzip.status, 0) << unzip.out << unzip.err;
        auto seven = runPeer("7zz", {"t", archive.string()});
        EXPECT_EQ(seven.status, 0) << seven.out << seven.err;

        // And they come back whole, dates included, through the peer.
        fs::path out = dir / ("peer-out" + std::to_string(level));
        ASSERT_EQ(runPeer("unzip", {"-q", archive.string(), "-d", out.string()}).status, 0);
        expectExtractedMatches(out, tree);
    }
}

// Enough files for the workers that deflate and inflate ahead of the writer: the events still
// come one file after the other in entry order, what deflate cannot shrink is stored, and
// every byte comes back.
TEST_F(ZipFileTest, ManyFilesKeepTheirEventsInEntryOrderBothWays) {
    std::uint32_t x = 7;
    auto noise = [&](std::size_t n) {
        std::string out;
        for (std::size_t i = 0; i < n; ++i) out += static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
        return out;
    };
    auto text = [](std::size_t n, int seed) {
        std::string out;
        for (int i = 0; out.size() < n; ++i) out += "line " + std::to_string(i * seed % 1000) + " of a text\n";
        return out.substr(0, n);
    };
    struct File {
        std::string name, content;
        bool compressible;
    };
    std::vector<File> files;
    for (int i = 0; i < 60; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.dat", i);
        std::size_t size = 1 + static_cast<std::size_t>(i) * 7919 % 50000;
        bool compressible = i % 3 != 0;
        files.push_back({name, compressible ? text(size, i + 1) : noise(size), compressible});
    }
    files.push_back({"g-large.dat", text((5u << 20) + 123, 3), true});  // progress past 4 MiB
    for (const File& f : files) writeFile(dir / "src" / f.name, f.content);

    ZipObject z;
    fs::path archive = dir / "many.zip";
    z.zip->put_ArchiveName(archive.string());
    ASSERT_EQ(z.zip->Compress((dir / "src" / "*.*").string()), static_cast<std::int32_t>(files.size()));
    Lines zipping, expectedZipping;
    for (const std::string& line : z.sink->events)
        if (line.rfind("Zipping|", 0) == 0) zipping.push_back(line);
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string size = std::to_string(files[i].content.size());
        std::string left = std::to_string(files.size() - i);
        expectedZipping.push_back("Zipping|" + files[i].name + "|" + size + "|0|0|" + left);
        if (files[i].content.size() >= (4u << 20))
            expectedZipping.push_back("Zipping|" + files[i].name + "|" + size + "|4194304|79|" + left);
    }
    EXPECT_EQ(zipping, expectedZipping);
    ASSERT_EQ(z.sink->named("Zipped").size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(z.sink->named("Zipped")[i].rfind("Zipped|" + files[i].name + "|", 0), 0u) << i;
    EXPECT_EQ(runPeer("unzip", {"-t", "-q", archive.string()}).status, 0);

    int error = 0;
    zip_t* written = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    ASSERT_TRUE(written);
    for (const File& f : files) {
        zip_stat_t st;
        ASSERT_EQ(zip_stat(written, f.name.c_str(), 0, &st), 0) << f.name;
        EXPECT_EQ(st.comp_method, f.compressible && f.content.size() > 50 ? ZIP_CM_DEFLATE : ZIP_CM_STORE) << f.name;
    }
    zip_discard(written);

    z.sink->events.clear();
    ASSERT_EQ(z.zip->Extract((dir / "out").string()), static_cast<std::int32_t>(files.size()));
    Lines unzipping, expectedUnzipping;
    for (const std::string& line : z.sink->events)
        if (line.rfind("Unzipp", 0) == 0) unzipping.push_back(line);
    for (const File& f : files) {
        std::string size = std::to_string(f.content.size());
        expectedUnzipping.push_back("Unzipping|" + f.name + "|" + size + "|0|0");
        if (f.content.size() >= (4u << 20))
            expectedUnzipping.push_back("Unzipping|" + f.name + "|" + size + "|4194304|79");
        expectedUnzipping.push_back("Unzipped|" + f.name + "|" + size + "|" + size + "|100");
        EXPECT_EQ(readFile(dir / "out" / f.name), f.content) << f.name;
    }
    EXPECT_EQ(unzipping, expectedUnzipping);
}

TEST_F(ZipFileTest, StructureModesDecideTheStoredNames) {
    SourceTree tree(dir / "src");
    testing_support::TestPrefix prefix;
    // The tree seen through the prefix's drive C.
    fs::path onC = prefix / "drive_c/work";
    fs::create_directories(onC.parent_path());
    fs::rename(tree.root, onC);
    struct Case {
        velpack::azStructureConstants mode;
        Lines names;
    } cases[] = {
        {velpack::azsNone, {"\\data.bin", "\\empty.dat", "\\readme.txt", "\\top.txt"}},
        {velpack::azsRelative, {"\\top.txt", "docs\\deep\\data.bin", "docs\\deep\\empty.dat", "docs\\readme.txt"}},
        {velpack::azsAbsolute,
         {"work\\docs\\deep\\data.bin", "work\\docs\\deep\\empty.dat", "work\\docs\\readme.txt", "work\\top.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ZipObject z;
        std::string archive = "C:\\structure" + std::to_string(c.mode) + ".zip";
        z.zip->put_ArchiveName(archive);
        z.zip->put_Recurse(platform::com::True);
        z.zip->put_SaveStructure(c.mode);
        z.zip->Compress("C:\\work\\*.*");
        ZipObject list;
        list.zip->put_ArchiveName(archive);
        list.zip->View();
        Lines names = list.contents();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.names);
    }
    // An empty folder survives a round trip when the structure is kept.
    fs::create_directories(onC / "docs/empty");
    {
        ZipObject z;
        z.zip->put_ArchiveName("C:\\withfolder.zip");
        z.zip->put_Recurse(platform::com::True);
        z.zip->put_SaveStructure(velpack::azsRelative);
        z.zip->Compress("C:\\work");
        fs::path out = dir / "folders";
        z.zip->Extract(out.string());
        EXPECT_TRUE(fs::is_directory(out / "work/docs/empty"));
        EXPECT_TRUE(fs::exists(out / "work/docs/deep/data.bin"));
        fs::remove(onC / "docs/empty");
    }
    // Without recursion a folder named as such gives its own files only, under its name.
    ZipObject z;
    z.zip->put_ArchiveName("C:\\flat.zip");
    z.zip->put_SaveStructure(velpack::azsRelative);
    z.zip->Compress("C:\\work\\docs");
    z.zip->View();
    EXPECT_EQ(z.contents(), Lines{"docs\\readme.txt"});
}

TEST_F(ZipFileTest, IncludeAndExcludeListsWithSeveralPatterns) {
    SourceTree tree(dir / "src");
    fs::path archive = dir / "a.zip";
    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    z.zip->put_Recurse(platform::com::True);
    z.zip->put_SaveStructure(velpack::azsRelative);
    std::string root = tree.root.string();
    z.zip->Compress(root + "/*.txt|" + root + "/*.bin", "readme*");
    z.zip->View();
    Lines names = z.contents();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Lines{"\\top.txt", "docs\\deep\\data.bin"}));

    fs::path out = dir / "out";
    ZipObject x;
    x.zip->put_ArchiveName(archive.string());
    x.zip->Extract(out.string(), "*.bin|*.dat|top.*", "*.dat");
    EXPECT_EQ(treeOf(out), (Lines{"docs", "docs/deep", "docs/deep/data.bin", "top.txt"}));
}

TEST_F(ZipFileTest, ExtractWithoutArgumentsKeepsTheLibrarysLastSettings) {
    SourceTree tree(dir / "src");
    fs::path archive = dir / "a.zip";
    ASSERT_EQ(runPeer("zip", {"-q", "-r", archive.string(), "."}, tree.root).status, 0);
    fs::path out = dir / "out";
    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    EXPECT_EQ(z.zip->Extract(out.string(), "top.txt"), 1);
    fs::remove(out / "top.txt");
    // Only addUNZIP runs: the destination and the include list are still the library's.
    EXPECT_EQ(z.zip->Extract(), 1);
    EXPECT_EQ(treeOf(out), Lines{"top.txt"});
    // So are list mode and the include list of the zip library: View, then Compress, lists again.
    z.zip->View();
    std::size_t views = z.sink->named("View").size();
    z.zip->Compress();
    EXPECT_EQ(z.sink->named("View").size(), 2 * views);
}

TEST_F(ZipFileTest, ViewLeavesAnEmptyCollectionForEmptyAndUnreadableArchives) {
    fs::path empty = dir / "empty.zip";
    writeFile(empty, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    fs::path junk = dir / "junk.zip";
    writeFile(junk, "this is not an archive at all");
    ASSERT_EQ(runPeer("7zz", {"l", empty.string()}).status, 0);  // the peer agrees it is a valid empty archive
    for (const fs::path& archive : {empty, junk, dir / "missing.zip"}) {
        SCOPED_TRACE(archive.filename().string());
        ZipObject z;
        z.zip->put_ArchiveName(archive.string());
        z.zip->View();
        ASSERT_TRUE(z.zip->get_ZipContents());
        EXPECT_EQ(z.zip->get_ZipContents()->Count(), 0);
    }
    ZipObject z;
    z.zip->put_ArchiveName(junk.string());
    z.zip->View();
    EXPECT_EQ(z.sink->named("Error"), Lines{"Error|" + junk.string() + "|" + code(AddZipCode::ArchiveUnreadable)});
}

TEST_F(ZipFileTest, TopLevelEntriesListWithABackslashInFront) {
    fs::path archive = dir / "a.zip";
    buildArchive(archive,
                 {{Entry::File, "aupdate.inf", "x"}, {Entry::Folder, "bin/", ""}, {Entry::File, "bin/a.dll", "y"}});
    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    z.zip->View();
    EXPECT_EQ(z.contents(), (Lines{"\\aupdate.inf", "bin\\a.dll"}));
    // A second View starts a new collection.
    z.zip->View();
    EXPECT_EQ(z.contents().size(), 2u);
}

TEST_F(ZipFileTest, OverwriteModesForExistingFiles) {
    fs::path archive = dir / "a.zip";
    buildArchive(archive, {{Entry::File, "a.txt", "new"}});
    struct Case {
        velpack::azOverwriteConstants mode;
        const char* after;
        bool warned;
    } cases[] = {{velpack::azoAll, "new", false}, {velpack::azoNone, "old", true}, {velpack::azoQuery, "old", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        fs::path out = dir / ("out" + std::to_string(c.mode));
        writeFile(out / "a.txt", "old");
        ZipObject z;
        z.zip->put_ArchiveName(archive.string());
        z.zip->put_Overwrite(c.mode);
        z.zip->Extract(out.string());
        EXPECT_EQ(readFile(out / "a.txt"), c.after);
        EXPECT_EQ(z.sink->named("Warning").size(), c.warned ? 1u : 0u);
        EXPECT_TRUE(z.sink->named("QueryOverwrite").empty());  // the question is never raised
        EXPECT_EQ(treeOf(out), Lines{"a.txt"});                // no temporary file left
    }
    // Without RestoreStructure every file lands in the destination itself.
    buildArchive(archive, {{Entry::File, "x/a.txt", "1"}, {Entry::File, "y/b.txt", "2"}});
    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    z.zip->put_RestoreStructure(platform::com::False);
    z.zip->Extract((dir / "flat").string());
    EXPECT_EQ(treeOf(dir / "flat"), (Lines{"a.txt", "b.txt"}));
}

TEST_F(ZipFileTest, DeleteRemovesOnlyTheNamedEntries) {
    fs::path archive = dir / "a.zip";
    buildArchive(archive, {{Entry::File, "a.txt", "1"}, {Entry::File, "b.txt", "2"}, {Entry::File, "sub/c.log", "3"}});
    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    z.zip->Delete("b.txt|*.log");
    EXPECT_EQ(z.sink->named("Deleted"), (Lines{"Deleted|b.txt", "Deleted|sub/c.log"}));
    ZipObject list;
    list.zip->put_ArchiveName(archive.string());
    list.zip->View();
    EXPECT_EQ(list.contents(), Lines{"\\a.txt"});
    EXPECT_EQ(runPeer("unzip", {"-t", "-q", archive.string()}).status, 0);

    // Deleting the last entry leaves an empty archive, not no archive.
    z.zip->Delete("a.txt");
    list.zip->View();
    EXPECT_TRUE(fs::exists(archive));
    EXPECT_EQ(list.contents(), Lines{});
    EXPECT_TRUE(list.sink->named("Error").empty());
}

TEST_F(ZipFileTest, AddingToAnArchiveAndSpanAndSfxWarnings) {
    writeFile(dir / "one.txt", "1");
    writeFile(dir / "two.txt", "2");
    fs::path archive = dir / "a.zip";
    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    EXPECT_EQ(z.zip->Compress((dir / "one.txt").string()), 1);
    z.zip->put_Span(platform::com::True);
    z.zip->put_BuildSFX(platform::com::True);
    EXPECT_EQ(z.zip->Compress((dir / "two.txt").string()), 1);
    EXPECT_EQ(z.sink->named("Warning"), (Lines{"Warning|" + archive.string() + "|" + code(WarningCode::SpanIgnored),
                                               "Warning|" + archive.string() + "|" + code(WarningCode::SfxIgnored)}));
    // An existing entry is kept when overwriting is off.
    writeFile(dir / "one.txt", "changed");
    z.zip->put_Overwrite(velpack::azoNone);
    z.zip->Compress((dir / "one.txt").string());
    fs::path out = dir / "out";
    z.zip->Extract(out.string());
    EXPECT_EQ(treeOf(out), (Lines{"one.txt", "two.txt"}));
    EXPECT_EQ(readFile(out / "one.txt"), "1");
    EXPECT_EQ(runPeer("7zz", {"t", archive.string()}).status, 0);
}

TEST_F(ZipFileTest, AFailedCreationLeavesTheOldArchiveAndReportsTheFile) {
    fs::path archive = dir / "a.zip";
    buildArchive(archive, {{Entry::File, "keep.txt", "keep"}});
    std::string before = readFile(archive);
    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    std::int32_t result = z.zip->Compress((dir / "does-not-exist.txt").string());
    EXPECT_LT(result, 0);
    EXPECT_FALSE(z.sink->named("Error").empty());
    EXPECT_EQ(readFile(archive), before);

    // A file in place of an archive is not overwritten by a new one.
    writeFile(dir / "notzip.zip", "precious");
    writeFile(dir / "x.txt", "x");
    z.zip->put_ArchiveName((dir / "notzip.zip").string());
    EXPECT_EQ(z.zip->Compress((dir / "x.txt").string()), -static_cast<int>(AddZipCode::ArchiveUnreadable));
    EXPECT_EQ(readFile(dir / "notzip.zip"), "precious");
}

TEST_F(ZipFileTest, AnErrorInAClientHandlerEndsTheMemberAndTheArchiveIsLetGo) {
    struct Throwing final : platform::com::Object<velpack::IZIPFileEvents> {
        void Zipping(const std::string&, std::int32_t, std::int32_t, std::int16_t, std::int32_t) override {
            throw platform::com::Error(5, "client", "stop");
        }
        void Unzipping(const std::string&, std::int32_t, std::int32_t, std::int16_t) override {
            throw platform::com::Error(5, "client", "stop");
        }
    };
    writeFile(dir / "x.txt", "x");
    fs::path archive = dir / "a.zip";
    ZipObject z;
    auto thrower = platform::com::make<Throwing>();
    z.zip.query<platform::com::IEventSource>()->advise(velpack::IZIPFileEvents::iid, thrower.get());
    z.zip->put_ArchiveName(archive.string());
    EXPECT_THROW(z.zip->Compress((dir / "x.txt").string()), platform::com::Error);
    EXPECT_FALSE(fs::exists(archive));
    EXPECT_EQ(treeOf(dir), Lines{"x.txt"});  // no temporary archive either

    buildArchive(archive, {{Entry::File, "a.txt", "a"}});
    EXPECT_THROW(z.zip->Extract((dir / "out").string()), platform::com::Error);
    EXPECT_EQ(treeOf(dir / "out"), Lines{});
}

TEST_F(ZipFileTest, ReleasingANewerObjectLeavesAnOlderOneItsEventsAndSettings) {
    buildArchive(dir / "first.zip", {{Entry::File, "one.txt", "1"}});
    buildArchive(dir / "second.zip", {{Entry::File, "two.txt", "2"}});
    auto first = std::make_unique<ZipObject>();
    first->zip->put_ArchiveName((dir / "first.zip").string());
    {
        ZipObject second;
        second.zip->put_ArchiveName((dir / "second.zip").string());
        second.zip->View();
        EXPECT_EQ(second.contents(), Lines{"\\two.txt"});
    }
    first->zip->View();
    EXPECT_EQ(first->contents(), Lines{"\\one.txt"});
    EXPECT_EQ(first->zip->Extract((dir / "out").string()), 1);
    EXPECT_EQ(first->sink->named("Unzipped").size(), 1u);
    EXPECT_EQ(readFile(dir / "out/one.txt"), "1");

    // And the other way round: the newer object goes on after the older one is released.
    ZipObject third;
    first.reset();
    third.zip->put_ArchiveName((dir / "second.zip").string());
    third.zip->View();
    EXPECT_EQ(third.contents(), Lines{"\\two.txt"});
}

}  // namespace
}  // namespace zip_tests
