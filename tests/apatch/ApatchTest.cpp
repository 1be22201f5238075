// SPDX-License-Identifier: Apache-2.0
// The apatch program on patches made by xdelta3: byte-exact results with its defaults (LZMA
// sections, Adler-32) and with plain RFC 3284, and no new file when the patch does not apply.
#include <gtest/gtest.h>

#include <functional>

#include "tests/apatch/PatchData.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

namespace apatch_tests {
namespace {

namespace fs = std::filesystem;
using testing_support::runProgram;

class ApatchTest : public ::testing::Test {
protected:
    ~ApatchTest() override { fs::remove_all(dir); }

    testing_support::ProgramResult apatch(const fs::path& patch, const fs::path& old, const fs::path& target) {
        return runProgram(testing_support::program("apatch"), {patch.string(), old.string(), target.string()});
    }
    // What the folder holds besides the named files: leftovers such as temporary files.
    std::vector<std::string> strayFiles(std::initializer_list<std::string> expected) {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const auto name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) stray.push_back(name);
        }
        return stray;
    }

    fs::path dir = testing_support::makeTempDirectory("apatch");
};

struct Pair {
    const char* name;
    std::function<Bytes()> old;
    std::function<Bytes(const Bytes&)> target;
};

const std::vector<Pair>& pairs() {
    static const std::vector<Pair> all = {
        {"text 300 KB", [] { return textBytes(300'000, 1); }, [](const Bytes& o) { return edited(o, 20'000, 2); }},
        {"binary 2 MB", [] { return randomBytes(2'000'000, 3); }, [](const Bytes& o) { return edited(o, 50'000, 4); }},
        {"target over 16 MB", [] { return textBytes(17'500'000, 5); },
         [](const Bytes& o) { return edited(o, 400'000, 6); }},
        {"empty target", [] { return textBytes(10'000, 7); }, [](const Bytes&) { return Bytes{}; }},
        {"empty old file", [] { return Bytes{}; }, [](const Bytes&) { return textBytes(50'000, 8); }},
        {"one byte", [] { return Bytes{'a'}; }, [](const Bytes&) { return Bytes{'b'}; }},
    };
    return all;
}

const std::vector<std::pair<const char*, std::vector<std::string>>> kEncodings = {
    {"xdelta3 defaults", {}},
    {"plain RFC 3284", {"-n", "-A", "-S", "none"}},
    // Many small windows: the LZMA streams run on across windows, source segments move.
    {"small windows", {"-W", "16384", "-B", "524288"}},
};

TEST_F(ApatchTest, PatchesMadeByXdelta3ApplyByteForByte) {
    for (const auto& pair : pairs()) {
        const Bytes old = pair.old();
        const Bytes target = pair.target(old);
        writeFile(dir / "old", old);
        writeFile(dir / "expected", target);
        for (const auto& [encoding, options] : kEncodings) {
            SCOPED_TRACE(std::string(pair.name) + ", " + encoding);
            makePatch(dir / "old", dir / "expected", dir / "patch", options);
            const auto result = apatch(dir / "patch", dir / "old", dir / "new file");
            ASSERT_EQ(result.status, 0) << result.err;
            EXPECT_TRUE(Bytes(readFile(dir / "new file")) == target);
            EXPECT_EQ(strayFiles({"old", "expected", "patch", "new file"}), std::vector<std::string>{});
            fs::remove(dir / "new file");
        }
    }
}

TEST_F(ApatchTest, PatchingInPlaceReplacesTheOldFile) {
    const Bytes old = textBytes(100'000, 9);
    const Bytes target = edited(old, 5'000, 10);
    writeFile(dir / "old", old);
    writeFile(dir / "expected", target);
    makePatch(dir / "old", dir / "expected", dir / "patch", {});
    const auto result = apatch(dir / "patch", dir / "old", dir / "old");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(readFile(dir / "old") == target);
}

TEST_F(ApatchTest, APatchForAnotherOldFileWritesNothing) {
    const Bytes old = textBytes(200'000, 11);
    writeFile(dir / "old", old);
    writeFile(dir / "expected", edited(old, 10'000, 12));
    makePatch(dir / "old", dir / "expected", dir / "patch", {});

    struct Other {
        const char* name;
        Bytes bytes;
    };
    Bytes changed = old;
    changed[150'000] ^= 0x20;
    const std::vector<Other> others = {
        {"one byte changed", changed},
        {"shorter", Bytes(old.begin(), old.begin() + 100'000)},
        {"unrelated", textBytes(200'000, 13)},
    };
    for (const auto& other : others) {
        SCOPED_TRACE(other.name);
        writeFile(dir / "other", other.bytes);
        writeFile(dir / "new", {'k', 'e', 'e', 'p'});
        const auto result = apatch(dir / "patch", dir / "other", dir / "new");
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("does not fit this old file"), std::string::npos) << result.err;
        EXPECT_TRUE(readFile(dir / "new") == (Bytes{'k', 'e', 'e', 'p'})) << "an existing new file stays";
        fs::remove(dir / "new");
        EXPECT_EQ(apatch(dir / "patch", dir / "other", dir / "new").status, 1);
        EXPECT_FALSE(fs::exists(dir / "new"));
        EXPECT_EQ(strayFiles({"old", "expected", "patch", "other"}), std::vector<std::string>{});
    }
}

TEST_F(ApatchTest, DamagedPatchesFailWithAReason) {
    const Bytes old = textBytes(200'000, 14);
    writeFile(dir / "old", old);
    writeFile(dir / "expected", edited(old, 10'000, 15));
    makePatch(dir / "old", dir / "expected", dir / "patch", {});
    const Bytes patch = readFile(dir / "patch");
    ASSERT_GT(patch.size(), 100u);

    Bytes flipped = patch;
    flipped[patch.size() - 30] ^= 0x55;
    const std::vector<std::pair<const char*, Bytes>> damaged = {
        {"cut in the middle", Bytes(patch.begin(), patch.begin() + patch.size() / 2)},
        {"last byte missing", Bytes(patch.begin(), patch.end() - 1)},
        {"a byte changed", flipped},
        {"not a patch", textBytes(500, 16)},
        {"empty", {}},
    };
    for (const auto& [name, bytes] : damaged) {
        SCOPED_TRACE(name);
        writeFile(dir / "damaged", bytes);
        const auto result = apatch(dir / "damaged", dir / "old", dir / "new");
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("apatch: "), std::string::npos);
        EXPECT_FALSE(fs::exists(dir / "new"));
    }
}

TEST_F(ApatchTest, TheNewFileKeepsTheOldFilesPermissionsAndIsNeverWrittenThroughALink) {
    const Bytes old = textBytes(20'000, 17);
    writeFile(dir / "old", old);
    writeFile(dir / "expected", edited(old, 2'000, 18));
    fs::permissions(dir / "old", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    makePatch(dir / "old", dir / "expected", dir / "patch", {});
    ASSERT_EQ(apatch(dir / "patch", dir / "old", dir / "new").status, 0);
    EXPECT_EQ(fs::status(dir / "new").permissions(), fs::status(dir / "old").permissions());

    writeFile(dir / "elsewhere", {'k'});
    fs::create_symlink(dir / "elsewhere", dir / "link");
    const auto result = apatch(dir / "patch", dir / "old", dir / "link");
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_TRUE(readFile(dir / "elsewhere") == Bytes{'k'});
}

TEST_F(ApatchTest, MissingFilesAndWrongUsage) {
    writeFile(dir / "old", {'x'});
    const auto noPatch = apatch(dir / "missing", dir / "old", dir / "new");
    EXPECT_EQ(noPatch.status, 1);
    EXPECT_NE(noPatch.err.find("cannot open"), std::string::npos) << noPatch.err;
    const auto folderAsOld = apatch(dir / "old", dir, dir / "new");
    EXPECT_EQ(folderAsOld.status, 1);
    const auto usage = runProgram(testing_support::program("apatch"), {"only-one"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("usage: apatch PATCH OLD NEW"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "new"));
}

}  // namespace
}  // namespace apatch_tests
