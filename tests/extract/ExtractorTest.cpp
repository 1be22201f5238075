// SPDX-License-Identifier: Apache-2.0
// The safe extractor on archives held in memory: link chains judged by where they really lead
// whatever the order of the entries, names that only differ in case, raw names with control
// characters, and staged files. lstat and realpath prove what exists where.
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/standins/extract/Extractor.h"

namespace {

namespace fs = std::filesystem;
using extract::EntryKind;
using extract::Grade;
using extract::Problem;

struct Item {
    EntryKind kind;
    std::string name;
    std::string content;  // a link's target
};

class MemoryData final : public extract::EntryData {
public:
    explicit MemoryData(const std::string& bytes) : bytes_(bytes) {}
    std::int64_t read(char* buffer, std::size_t capacity) override {
        std::size_t n = std::min(capacity, bytes_.size() - at_);
        std::copy_n(bytes_.data() + at_, n, buffer);
        at_ += n;
        return static_cast<std::int64_t>(n);
    }

private:
    const std::string& bytes_;
    std::size_t at_ = 0;
};

// Each entry's final result by name (a link removed by finish() shows its late result).
std::map<std::string, extract::EntryResult> extractAll(const fs::path& dest, const std::vector<Item>& items,
                                                       extract::Options options = {}) {
    auto extractor = extract::Extractor::open(dest, options);
    EXPECT_TRUE(extractor);
    std::map<std::string, extract::EntryResult> results;
    if (!extractor) return results;
    for (const Item& item : items) {
        MemoryData data(item.content);
        results[item.name] =
            extractor->extract({.name = item.name, .kind = item.kind, .size = item.content.size()}, data);
    }
    for (const extract::LateResult& late : extractor->finish()) results[late.name] = late.result;
    return results;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Every path below `root` but those below `skip`, with its type, size and modification time as
// lstat sees it.
std::map<std::string, std::string> snapshot(const fs::path& root, const fs::path& skip) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat st {};
        ::lstat(it->path().c_str(), &st);
        out[it->path().string()] = std::to_string(st.st_mode) + "/" + std::to_string(st.st_size) + "/" +
                                   std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    }
    return out;
}

std::string realPath(const fs::path& p) {
    char buffer[PATH_MAX];
    return ::realpath(p.c_str(), buffer) ? buffer : "";
}

class ExtractorTest : public ::testing::Test {
protected:
    ExtractorTest() {
        char pattern[] = "/tmp/extract-test-XXXXXX";
        dir = ::mkdtemp(pattern);
        fs::create_directories(outside);
        std::ofstream(outside / "passwd") << "outside";
    }
    ~ExtractorTest() override { fs::remove_all(dir); }

    fs::path dir;
    fs::path outside = dir / "outside";
};

TEST_F(ExtractorTest, EveryLinkLeftResolvesInsideWhateverTheOrderOfTheEntries) {
    struct Case {
        const char* what;
        std::vector<Item> items;
        std::vector<std::string> refused;
    } cases[] = {
        {"a link climbs through another link",
         {{EntryKind::Link, "a/b/l", "../.."}, {EntryKind::Link, "passwd", "a/b/l/a/b/l/../../outside/passwd"}},
         {"passwd"}},
        {"parent of a link to the parent",
         {{EntryKind::Link, "d/l1", ".."}, {EntryKind::Link, "l2", "d/l1/.."}},
         {"l2"}},
        {"a link to a link is a chain, not an escape",
         {{EntryKind::File, "lib.so.1.2", "code"},
          {EntryKind::Link, "lib.so.1", "lib.so.1.2"},
          {EntryKind::Link, "lib.so", "lib.so.1"}},
         {}},
        {"through a link to a folder",
         {{EntryKind::Folder, "real/", ""},
          {EntryKind::File, "real/f", "f"},
          {EntryKind::Link, "d", "real"},
          {EntryKind::Link, "e", "d/f"}},
         {"e"}},
        {"through a link planted before the run, and ending at one",
         {{EntryKind::File, "x", "x"}, {EntryKind::Link, "p", "planted/../x"}, {EntryKind::Link, "q", "planted"}},
         {"p", "q"}},
        {"by its text",
         {{EntryKind::Link, "up", "../outside/passwd"},
          {EntryKind::Link, "abs", "/etc/passwd"},
          {EntryKind::Link, "back", "a\\..\\..\\outside"},
          {EntryKind::File, "a/keep", "k"}},
         {"up", "abs", "back"}},
    };
    for (const Case& c : cases) {
        for (bool reversed : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (reversed ? ", entries reversed" : ""));
            fs::path work = dir / "work";
            fs::path dest = work / "dest";
            fs::remove_all(work);
            fs::create_directories(dest);
            ASSERT_EQ(::symlink("../../outside", (dest / "planted").c_str()), 0);
            std::map<std::string, std::string> before = snapshot(dir, dest);

            std::vector<Item> items = c.items;
            if (reversed) std::reverse(items.begin(), items.end());
            auto results = extractAll(dest, items);

            std::vector<std::string> refused;
            for (const auto& [name, result] : results) {
                if (result.grade == Grade::Ok) continue;
                EXPECT_EQ(result.grade, Grade::Failed) << name;
                EXPECT_EQ(result.problem, Problem::UnsafeLink) << name;
                refused.push_back(name);
            }
            std::vector<std::string> expected = c.refused;
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(refused, expected);

            // Every link this run left resolves, and inside the destination.
            std::string root = realPath(dest);
            for (const Item& item : c.items) {
                struct stat st {};
                bool isRefused = std::count(expected.begin(), expected.end(), item.name) > 0;
                if (item.kind != EntryKind::Link) continue;
                if (isRefused) {
                    EXPECT_NE(::lstat((dest / item.name).c_str(), &st), 0) << item.name;
                    continue;
                }
                ASSERT_EQ(::lstat((dest / item.name).c_str(), &st), 0) << item.name;
                EXPECT_TRUE(S_ISLNK(st.st_mode)) << item.name;
                std::string resolved = realPath(dest / item.name);
                EXPECT_TRUE(resolved == root || resolved.starts_with(root + "/")) << item.name << " -> " << resolved;
            }
            EXPECT_EQ(snapshot(dir, dest), before);
            for (const auto& entry : fs::recursive_directory_iterator(dest))
                EXPECT_EQ(entry.path().filename().string().find(".quillon-tmp-"), std::string::npos);
        }
    }
}

TEST_F(ExtractorTest, TheFirstEntryOfANameStaysInEveryOverwriteMode) {
    struct Case {
        const char* what;
        std::vector<Item> items;
        bool flatten;
        std::vector<std::string> tree;  // what is on disk afterwards, with contents of files
        std::vector<std::string> warned;
    } cases[] = {
        {"case only",
         {{EntryKind::File, "Readme.txt", "first"}, {EntryKind::File, "README.TXT", "second"}},
         false,
         {"Readme.txt=first"},
         {"README.TXT"}},
        {"exact duplicate",
         {{EntryKind::File, "a.txt", "first"}, {EntryKind::File, "a.txt", "second"}},
         false,
         {"a.txt=first"},
         {"a.txt"}},  // the later result of the name
        {"a link shadowing a file",
         {{EntryKind::File, "x/Data", "first"}, {EntryKind::Link, "X/data", "../y"}},
         false,
         {"x/", "x/Data=first"},
         {"X/data"}},
        {"folders of one name are one folder, spelled as first met",
         {{EntryKind::File, "Dir/a", "a"}, {EntryKind::Folder, "DIR/", ""}, {EntryKind::File, "dir/b", "b"}},
         false,
         {"Dir/", "Dir/a=a", "Dir/b=b"},
         {}},
        {"flattened into one name",
         {{EntryKind::File, "one/f.txt", "first"}, {EntryKind::File, "two/F.txt", "second"}},
         true,
         {"f.txt=first"},
         {"two/F.txt"}},
    };
    for (const Case& c : cases) {
        for (extract::Overwrite mode : {extract::Overwrite::Replace, extract::Overwrite::Keep}) {
            SCOPED_TRACE(std::string(c.what) + (mode == extract::Overwrite::Keep ? ", keep" : ", replace"));
            fs::path dest = dir / "dest";
            fs::remove_all(dest);
            auto results = extractAll(dest, c.items, {.overwrite = mode, .flatten = c.flatten});
            for (const std::string& name : c.warned) {
                EXPECT_EQ(results[name].grade, Grade::Warn) << name;
                EXPECT_EQ(results[name].problem, Problem::Duplicate) << name;
            }
            std::vector<std::string> tree;
            for (const auto& entry : fs::recursive_directory_iterator(dest)) {
                std::string relative = entry.path().lexically_relative(dest).string();
                tree.push_back(entry.is_directory() ? relative + "/" : relative + "=" + readFile(entry.path()));
            }
            std::sort(tree.begin(), tree.end());
            EXPECT_EQ(tree, c.tree);
        }
    }
    // A folder cannot also be the file a script reaches under the same name.
    auto results = extractAll(dir / "clash", {{EntryKind::File, "a", "file"}, {EntryKind::File, "A/x", "x"}});
    EXPECT_EQ(results["A/x"].problem, Problem::NotAFolder);
}

TEST_F(ExtractorTest, RawNamesWithControlCharactersAreRefusedWhateverTheyDecodeTo) {
    auto extractor = extract::Extractor::open(dir / "dest", {});
    ASSERT_TRUE(extractor);
    std::string bytes = "x";
    // A code page shows 0x01 as a smiling face: the decoded name alone would pass.
    for (const char* raw : {"\x01.txt", "a\x1b[2J", "b\x7f"}) {
        MemoryData data(bytes);
        extract::EntryResult r = extractor->extract({.name = "\xe2\x98\xba.txt", .rawName = raw, .size = 1}, data);
        EXPECT_EQ(r.grade, Grade::Failed) << raw;
        EXPECT_EQ(r.problem, Problem::UnsafeName) << raw;
    }
    EXPECT_TRUE(fs::is_empty(dir / "dest"));
}

TEST_F(ExtractorTest, FilesAreStagedAndAnExistingFileIsReplacedOnlyByACompleteOne) {
    fs::path dest = dir / "dest";
    fs::create_directories(dest);
    std::ofstream(dest / "f") << "old";
    mode_t mask = ::umask(022);  // the extractor reads it when it starts
    auto extractor = extract::Extractor::open(dest, {});
    ASSERT_TRUE(extractor);
    struct Case {
        std::string data;
        std::uint64_t declared;
    } damaged[] = {{"short", 10}, {"longer than declared", 5}};
    for (const Case& c : damaged) {
        MemoryData data(c.data);
        extract::EntryResult r = extractor->extract({.name = "f", .size = c.declared}, data);
        EXPECT_EQ(r.problem, Problem::DamagedEntry) << c.data;
    }
    EXPECT_EQ(readFile(dest / "f"), "old");
    std::string fresh = "new";
    MemoryData data(fresh);
    EXPECT_EQ(extractor->extract({.name = "f", .size = 3, .permissions = 0777, .modified = 86400}, data).grade,
              Grade::Ok);
    EXPECT_EQ(readFile(dest / "f"), "new");
    struct stat st {};
    ASSERT_EQ(::stat((dest / "f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 86400);
    EXPECT_EQ(st.st_mode & 0777, 0755u);  // the umask still applies
    ::umask(mask);
    EXPECT_EQ(std::distance(fs::directory_iterator(dest), fs::directory_iterator()), 1);

    // A destination that is a file is no place to extract to.
    EXPECT_FALSE(extract::Extractor::open(dest / "f", {}));
}

}  // namespace
