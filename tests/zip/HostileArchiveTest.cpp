// SPDX-License-Identifier: Apache-2.0
// Extraction never writes outside its destination: hostile names, links, encrypted entries,
// truncated and corrupt archives. lstat proves what exists where.
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/standins/addzip/Messages.h"
#include "tests/zip/ZipFixture.h"

namespace zip_tests {
namespace {

using addzip::AddZipCode;
using Lines = std::vector<std::string>;

std::string errorLine(const std::string& name, AddZipCode c) {
    return "Error|" + name + "|" + std::to_string(static_cast<int>(c));
}

bool present(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

class HostileArchive : public ScratchTest {
protected:
    HostileArchive() {
        // dir/outside is the place an attack aims at; dir/work/dest the destination, so that
        // names climbing one or two levels land in folders the test watches.
        fs::create_directories(outside);
        fs::create_directories(dest);
    }
    fs::path outside = dir / "outside";
    fs::path dest = dir / "work" / "dest";
};

TEST_F(HostileArchive, RefusesEveryEntryThatWouldLeaveTheDestinationAndGoesOn) {
    fs::path archive = dir / "hostile.zip";
    std::string out = outside.string();
    buildArchive(archive,
                 {
                     {Entry::File, "../x", "climb"},
                     {Entry::File, "../../outside/x2", "climb further"},
                     {Entry::File, "sub\\..\\..\\x3", "backslash climb"},
                     {Entry::File, out + "/abs", "absolute"},
                     {Entry::File, "C:\\x", "drive"},
                     {Entry::Link, "escape", out},                            // a link pointing outside is not made
                     {Entry::File, "escape/x4", "through the refused link"},  // so this is only a folder inside
                     {Entry::Folder, "real/", ""},
                     {Entry::Link, "inside", "real"},               // a link inside is made ...
                     {Entry::File, "inside/x5", "through a link"},  // ... and never written through
                     {Entry::Link, "up", "../../outside"},
                     {Entry::File, "up/x6", "x"},
                     {Entry::File, "good.txt", "fine"},
                 });
    // A link that was in the destination before the run is not followed either.
    ASSERT_EQ(::symlink(outside.c_str(), (dest / "planted").c_str()), 0);
    buildArchive(dir / "planted.zip",
                 {{Entry::File, "planted/x7", "x"}, {Entry::File, "planted", "replaces the link"}});

    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    std::int32_t result = z.zip->Extract(dest.string());
    EXPECT_EQ(result, -static_cast<int>(AddZipCode::UnsafeName));

    Lines errors = z.sink->named("Error");
    EXPECT_EQ(errors, (Lines{
                          errorLine("../x", AddZipCode::UnsafeName),
                          errorLine("../../outside/x2", AddZipCode::UnsafeName),
                          errorLine("sub\\..\\..\\x3", AddZipCode::UnsafeName),
                          errorLine(out + "/abs", AddZipCode::UnsafeName),
                          errorLine("C:\\x", AddZipCode::UnsafeName),
                          errorLine("escape", AddZipCode::UnsafeLink),
                          errorLine("inside/x5", AddZipCode::ThroughLink),
                          errorLine("up", AddZipCode::UnsafeLink),
                      }));
    EXPECT_EQ(readFile(dest / "good.txt"), "fine");
    EXPECT_EQ(readFile(dest / "escape/x4"), "through the refused link");
    EXPECT_EQ(readFile(dest / "up/x6"), "x");
    struct stat st {};
    ASSERT_EQ(::lstat((dest / "inside").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_FALSE(present(dest / "real/x5"));

    ZipObject planted;
    planted.zip->put_ArchiveName((dir / "planted.zip").string());
    planted.zip->Extract(dest.string());
    EXPECT_EQ(planted.sink->named("Error"), Lines{errorLine("planted/x7", AddZipCode::ThroughLink)});
    ASSERT_EQ(::lstat((dest / "planted").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));  // the link itself was replaced, its target untouched

    // Nothing at all reached the places outside.
    EXPECT_EQ(treeOf(outside), Lines{});
    for (const char* name : {"x", "x2", "x3", "abs", "x4", "x5", "x6", "x7"}) {
        EXPECT_FALSE(present(dir / name)) << name;
        EXPECT_FALSE(present(dir / "work" / name)) << name;
        EXPECT_FALSE(present(outside / name)) << name;
    }
    EXPECT_FALSE(present("/x"));
    Lines destTree = treeOf(dest);
    for (const std::string& p : destTree) EXPECT_EQ(p.find(".quillon-tmp-"), std::string::npos) << p;
}

TEST_F(HostileArchive, EncryptedEntriesFailAndTheOthersAreExtracted) {
    fs::path archive = dir / "enc.zip";
    buildArchive(archive, {{Entry::File, "open.txt", "open"}, {Entry::File, "locked.txt", "secret", true}});
    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    z.zip->View();
    Lines views = z.sink->named("View");
    ASSERT_EQ(views.size(), 2u);
    EXPECT_NE(views[1].find("|-1|"), std::string::npos) << views[1];  // Encrypted True
    EXPECT_LT(z.zip->Extract(dest.string()), 0);
    EXPECT_EQ(z.sink->named("Error"), Lines{errorLine("locked.txt", AddZipCode::Encrypted)});
    EXPECT_EQ(treeOf(dest), Lines{"open.txt"});
}

TEST_F(HostileArchive, TruncatedAndCorruptArchivesEndWithAnErrorAndNoPartialFile) {
    std::string big;
    for (int i = 0; i < 300000; ++i) big += static_cast<char>('a' + (i * 31 + i / 97) % 26);
    fs::path archive = dir / "good.zip";
    buildArchive(
        archive,
        {{Entry::File, "first.txt", "first"}, {Entry::File, "big.txt", big}, {Entry::File, "last.txt", "last"}});
    std::string bytes = readFile(archive);

    // Cut anywhere: the run ends with an error result, no crash, no hang, no half file.
    for (std::size_t cut :
         {std::size_t{0}, std::size_t{10}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 30, bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        fs::path truncated = dir / "truncated.zip";
        writeFile(truncated, bytes.substr(0, cut));
        fs::path out = dir / ("cut" + std::to_string(cut));
        ZipObject z;
        z.zip->put_ArchiveName(truncated.string());
        EXPECT_LT(z.zip->Extract(out.string()), 0);
        EXPECT_FALSE(z.sink->named("Error").empty());
        for (const std::string& p : treeOf(out)) EXPECT_EQ(p.find(".quillon-tmp-"), std::string::npos) << p;
    }

    // Damaged data inside one entry: that entry fails by name, the others are extracted.
    std::size_t at = bytes.find("first") + 5 + 200;  // well inside big.txt's compressed data
    std::string corrupt = bytes;
    for (std::size_t i = at; i < at + 64; ++i) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5a);
    writeFile(dir / "corrupt.zip", corrupt);
    ZipObject z;
    z.zip->put_ArchiveName((dir / "corrupt.zip").string());
    EXPECT_EQ(z.zip->Extract(dest.string()), -static_cast<int>(AddZipCode::DamagedEntry));
    EXPECT_EQ(z.sink->named("Error"), Lines{errorLine("big.txt", AddZipCode::DamagedEntry)});
    EXPECT_EQ(treeOf(dest), (Lines{"first.txt", "last.txt"}));
}

// Data that inflates cleanly under a CRC that does not match it, among entries inflated ahead:
// that entry fails and leaves nothing, the ones around it are extracted.
TEST_F(HostileArchive, AWrongCrcFailsItsEntryOnly) {
    std::string text;
    for (int i = 0; text.size() < 200000; ++i) text += "row " + std::to_string(i) + "\n";
    fs::path archive = dir / "crc.zip";
    buildArchive(archive, {{Entry::File, "a.txt", text.substr(0, 5000)},
                           {Entry::File, "b.txt", text},
                           {Entry::File, "c.txt", text.substr(7, 9000)}});
    std::string bytes = readFile(archive);
    std::uint32_t crc = crcOf(text);
    std::string stored(reinterpret_cast<const char*>(&crc), 4);  // little-endian, as in the archive
    std::size_t changed = 0;
    for (std::size_t at = bytes.find(stored); at != std::string::npos; at = bytes.find(stored, at + 4), ++changed)
        bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
    ASSERT_EQ(changed, 2u);  // the local header and the central directory
    writeFile(archive, bytes);

    ZipObject z;
    z.zip->put_ArchiveName(archive.string());
    EXPECT_EQ(z.zip->Extract(dest.string()), -static_cast<int>(AddZipCode::DamagedEntry));
    EXPECT_EQ(z.sink->named("Error"), Lines{errorLine("b.txt", AddZipCode::DamagedEntry)});
    EXPECT_EQ(treeOf(dest), (Lines{"a.txt", "c.txt"}));
}

std::string realPath(const fs::path& p) {
    char buffer[PATH_MAX];
    return ::realpath(p.c_str(), buffer) ? buffer : "";
}

TEST_F(HostileArchive, LinkChainsAreJudgedByWhereTheyLeadInEitherOrder) {
    struct Case {
        std::vector<Entry> entries;
        Lines refused;
    } cases[] = {
        {{{Entry::Link, "a/b/l", "../.."}, {Entry::Link, "passwd", "a/b/l/a/b/l/../../outside/x"}}, {"passwd"}},
        {{{Entry::Link, "d/l1", ".."}, {Entry::Link, "l2", "d/l1/.."}}, {"l2"}},
    };
    writeFile(outside / "x", "outside");
    Lines outsideBefore = treeOf(dir);
    for (const Case& c : cases) {
        for (bool reversed : {false, true}) {
            SCOPED_TRACE(c.entries.back().name + (reversed ? " first" : " last"));
            fs::remove_all(dest);
            std::vector<Entry> entries = c.entries;
            if (reversed) std::reverse(entries.begin(), entries.end());
            buildArchive(dir / "chain.zip", entries);
            ZipObject z;
            z.zip->put_ArchiveName((dir / "chain.zip").string());
            EXPECT_EQ(z.zip->Extract(dest.string()), -static_cast<int>(AddZipCode::UnsafeLink));
            Lines expected;
            for (const std::string& name : c.refused) expected.push_back(errorLine(name, AddZipCode::UnsafeLink));
            EXPECT_EQ(z.sink->named("Error"), expected);
            std::string root = realPath(dest);
            for (const Entry& e : c.entries) {
                bool refused = std::count(c.refused.begin(), c.refused.end(), e.name) > 0;
                EXPECT_EQ(present(dest / e.name), !refused) << e.name;
                if (refused) continue;
                std::string resolved = realPath(dest / e.name);
                EXPECT_TRUE(resolved == root || resolved.starts_with(root + "/")) << e.name << " -> " << resolved;
            }
        }
    }
    Lines after = treeOf(dir);
    std::erase_if(after, [](const std::string& p) { return p.starts_with("work/") || p == "chain.zip"; });
    std::erase_if(outsideBefore, [](const std::string& p) { return p.starts_with("work/"); });
    EXPECT_EQ(after, outsideBefore);
    EXPECT_EQ(readFile(outside / "x"), "outside");
}

TEST_F(HostileArchive, ControlCharactersAndNamesThatOnlyDifferInCase) {
    // Names that are not clean ASCII or UTF-8 are read in the DOS code page, where 0x01 is a
    // face and ESC an arrow: only the raw bytes show the control characters.
    buildArchive(dir / "names.zip", {{Entry::File, "\x01\x81.txt", "x"},
                                     {Entry::File, "title\x1b]0;owned\x07", "x"},
                                     {Entry::File, "Readme.txt", "first"},
                                     {Entry::File, "README.TXT", "second"}});
    for (velpack::azOverwriteConstants mode : {velpack::azoAll, velpack::azoNone, velpack::azoQuery}) {
        SCOPED_TRACE(mode);
        fs::remove_all(dest);
        ZipObject z;
        z.zip->put_ArchiveName((dir / "names.zip").string());
        z.zip->put_Overwrite(mode);
        EXPECT_EQ(z.zip->Extract(dest.string()), -static_cast<int>(AddZipCode::UnsafeName));
        Lines errors = z.sink->named("Error");
        ASSERT_EQ(errors.size(), 2u);
        for (const std::string& error : errors) EXPECT_TRUE(error.ends_with("|6")) << error;
        EXPECT_EQ(z.sink->named("Warning"), Lines{"Warning|README.TXT|5"});
        EXPECT_EQ(treeOf(dest), Lines{"Readme.txt"});
        EXPECT_EQ(readFile(dest / "Readme.txt"), "first");
    }

    // A NUL byte inside a stored name, which libzip's own names end at.
    buildArchive(dir / "nul.zip", {{Entry::File, "evil#name.txt", "x"}});
    std::string bytes = readFile(dir / "nul.zip");
    for (std::size_t at = bytes.find("evil#"); at != std::string::npos; at = bytes.find("evil#", at))
        bytes[at + 4] = '\0';
    writeFile(dir / "nul.zip", bytes);
    fs::remove_all(dest);
    ZipObject z;
    z.zip->put_ArchiveName((dir / "nul.zip").string());
    EXPECT_EQ(z.zip->Extract(dest.string()), -static_cast<int>(AddZipCode::UnsafeName));
    EXPECT_EQ(treeOf(dest), Lines{});
}

}  // namespace
}  // namespace zip_tests
