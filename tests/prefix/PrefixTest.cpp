// SPDX-License-Identifier: Apache-2.0
#include "platform/prefix/Prefix.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/support/TemporaryNames.h"
#include "tests/support/Programs.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestPrefix.h"

namespace fs = std::filesystem;
using namespace platform::prefix;

namespace {

struct MappingCase {
    const char* windows;
    const char* native;  // "<P>" is the prefix root, "<W>" the working directory
};

std::string expand(std::string s, const fs::path& root, const fs::path& cwd) {
    for (auto [token, value] : {std::pair{"<P>", root.string()}, std::pair{"<W>", cwd.string()}})
        if (auto pos = s.find(token); pos != std::string::npos) s.replace(pos, 3, value);
    return s;
}

TEST(PrefixMapping, MapsWindowsStylePathsToNativePaths) {
    const fs::path root = "/prefix-that-does-not-exist";
    const fs::path cwd = "/work/dir";
    const MappingCase cases[] = {
        {"C:\\windows\\system32\\x.dll", "<P>/dosdevices/c:/windows/system32/x.dll"},
        {"c:/windows/system32/x.dll", "<P>/dosdevices/c:/windows/system32/x.dll"},
        {"D:\\data\\file.txt", "<P>/dosdevices/d:/data/file.txt"},
        {"C:", "<P>/dosdevices/c:"},
        {"C:\\", "<P>/dosdevices/c:"},
        {"C:file.txt", "<P>/dosdevices/c:/file.txt"},
        {"C:\\a\\.\\b\\..\\c", "<P>/dosdevices/c:/a/c"},
        {"C:\\..\\..\\etc\\passwd", "<P>/dosdevices/c:/etc/passwd"},
        {"C:\\a\\\\b\\", "<P>/dosdevices/c:/a/b"},
        {"\\windows\\temp", "<P>/dosdevices/c:/windows/temp"},
        {"\\\\server\\share\\dir\\f.idx", "<P>/unc/server/share/dir/f.idx"},
        {"//server/share/f", "<P>/unc/server/share/f"},
        {"\\\\server\\share\\..\\..\\x", "<P>/unc/server/share/x"},
        {"\\\\?\\C:\\long\\path", "<P>/dosdevices/c:/long/path"},
        {"\\\\?\\UNC\\server\\share\\x", "<P>/unc/server/share/x"},
        {"\\\\?\\", ""},  // the long-path mark alone names nothing
        {"\\\\?\\UNC\\", "<P>/unc"},
        {"/usr/lib/x.so", "/usr/lib/x.so"},
        {"/tmp/a\\b", "/tmp/a\\b"},
        {"relative\\dir\\f.txt", "<W>/relative/dir/f.txt"},
        {"f.txt", "<W>/f.txt"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toNative(c.windows, root, cwd).string(), expand(c.native, root, cwd)) << "for " << c.windows;
    }
}

TEST(PrefixMapping, MatchesExistingNamesRegardlessOfCase) {
    testing_support::TestPrefix prefix;
    fs::create_directories(prefix / "drive_c/Program Files/Orvane");
    std::ofstream(prefix / "drive_c/Program Files/Orvane/Tool.EXE") << "x";

    EXPECT_EQ(toNative("c:\\PROGRAM FILES\\orvane\\tool.exe"),
              prefix.root() / "dosdevices/c:/Program Files/Orvane/Tool.EXE");
    // Below a component that does not exist, the rest is taken as written.
    EXPECT_EQ(toNative("C:\\program files\\New\\File.txt"), prefix.root() / "dosdevices/c:/Program Files/New/File.txt");
}

TEST(PrefixMapping, WindowsNamesRoundTrip) {
    testing_support::TestPrefix prefix;
    EXPECT_EQ(toWindows(prefix / "drive_c/windows/system32"), "C:\\windows\\system32");
    EXPECT_EQ(toWindows(prefix / "drive_c"), "C:\\");
    EXPECT_EQ(toWindows(prefix / "unc/srv/share/f.idx"), "\\\\srv\\share\\f.idx");
    EXPECT_EQ(toWindows(prefix / "dosdevices/d:/x"), "D:\\x");
    EXPECT_EQ(toWindows("/usr/lib"), "/usr/lib");
    for (const char* p : {"C:\\windows\\temp", "\\\\srv\\share\\f.idx"}) EXPECT_EQ(toWindows(toNative(p)), p) << p;
}

TEST(Prefix, RootComesFromTheEnvironmentAndLayoutPlacesTheSpecialFolders) {
    testing_support::TestPrefix prefix;
    EXPECT_EQ(root(), prefix.root());
    EXPECT_EQ(registryPath(), prefix / "registry.db");
    EXPECT_EQ(windowsPath(Folder::CommonFiles), "C:\\Program Files\\Common Files");
    EXPECT_EQ(folderFromCode(37), Folder::System);
    EXPECT_FALSE(folderFromCode(1003).has_value());  // the install temp folder belongs to Gorslb
    for (auto folder : {Folder::Favorites, Folder::Windows, Folder::System, Folder::CommonFiles}) {
        EXPECT_TRUE(fs::is_directory(nativePath(folder))) << windowsPath(folder);
        EXPECT_TRUE(fs::equivalent(nativePath(folder), toNative(windowsPath(folder)))) << windowsPath(folder);
    }
    EXPECT_TRUE(fs::is_directory(toNative(tempFolder())));
    EXPECT_TRUE(fs::is_directory(prefix / "unc"));
}

TEST(Prefix, DefaultRootFollowsTheUserWhenNoPrefixIsSet) {
    testing_support::ScopedEnvironment prefixVariable("QUILLON_PREFIX", std::nullopt);
    testing_support::ScopedEnvironment dataHome("XDG_DATA_HOME", "/xdg/data");
    fs::path expected = geteuid() == 0 ? fs::path("/var/lib/quillon") : fs::path("/xdg/data/quillon");
    EXPECT_EQ(root(), expected);
}

// Sets the modification time of the entry itself (a link's own, not its target's).
void setAge(const fs::path& path, std::chrono::seconds age) {
    const timespec when[2] = {{std::time(nullptr) - static_cast<std::time_t>(age.count()), 0},
                              {std::time(nullptr) - static_cast<std::time_t>(age.count()), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), when, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(Prefix, RemovesOnlyTemporaryFilesThatKilledRunsLeft) {
    testing_support::TestPrefix prefix;
    const fs::path temp = prefix / "drive_c/windows/temp";
    const fs::path outside = prefix / "outside";
    fs::create_directories(outside);
    std::ofstream(outside / "target.txt") << "kept";
    const std::string old = platform::temporaryName("download");
    std::ofstream(outside / old) << "not below the temporary folder";
    setAge(outside / old, std::chrono::hours(2));

    enum class Kind { File, LinkToFile, LinkToFolder };
    struct Case {
        std::string path;  // below the temporary folder
        Kind kind;
        std::chrono::seconds age;
        bool removed;
    };
    const Case cases[] = {
        {platform::temporaryName("download"), Kind::File, std::chrono::hours(2), true},
        {"Install-1/sub/" + platform::temporaryName("unzip"), Kind::File, std::chrono::hours(5), true},
        {platform::temporaryName("zip") + ".a1B2c3", Kind::File, std::chrono::hours(2), true},  // libzip's own
        {platform::temporaryName("unzip"), Kind::LinkToFile, std::chrono::hours(2), true},
        {platform::temporaryName("download"), Kind::File, std::chrono::minutes(50), false},  // a run still busy
        {"report.part", Kind::File, std::chrono::hours(2), false},
        {".addunzip-12-1", Kind::File, std::chrono::hours(2), false},
        {"Quillon-1.tmp", Kind::File, std::chrono::hours(2), false},
        {"elsewhere", Kind::LinkToFolder, std::chrono::hours(2), false},  // never followed
    };
    for (const auto& c : cases) {
        const fs::path path = temp / c.path;
        fs::create_directories(path.parent_path());
        if (c.kind == Kind::File) std::ofstream(path) << "x";
        if (c.kind == Kind::LinkToFile) fs::create_symlink(outside / "target.txt", path);
        if (c.kind == Kind::LinkToFolder) fs::create_directory_symlink(outside, path);
        setAge(path, c.age);
    }

    EXPECT_EQ(removeStaleTemporaryFiles(), 4u);
    for (const auto& c : cases) EXPECT_EQ(fs::exists(fs::symlink_status(temp / c.path)), !c.removed) << c.path;
    EXPECT_TRUE(fs::exists(outside / old));
    EXPECT_TRUE(fs::exists(outside / "target.txt"));
}

// The per-user prefix is never placed in a folder any user could make first: without HOME the
// home folder comes from the password database, and without one there the programs refuse.
TEST(Prefix, HomeFolderComesFromThePasswordDatabaseWhenHOMEIsUnset) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run the program as other users";
    struct Case {
        const char* user;  // a uid: 65534 is nobody (/nonexistent), 54321 has no entry
        std::vector<std::string> environment;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {"65534", {"-u", "HOME"}, 0, "prefix     /nonexistent/.local/share/quillon\n"},
        {"65534", {"HOME="}, 0, "prefix     /nonexistent/.local/share/quillon\n"},
        {"65534", {"HOME=/home/given"}, 0, "prefix     /home/given/.local/share/quillon\n"},
        {"54321", {"-u", "HOME"}, 1, "no home folder: HOME is not set"},
        {"54321", {"HOME=/home/given"}, 0, "prefix     /home/given/.local/share/quillon\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-u", "QUILLON_PREFIX", "-u", "XDG_DATA_HOME"};
        args.insert(args.end(), c.environment.begin(), c.environment.end());
        args.insert(args.end(), {"setpriv", std::string("--reuid=") + c.user, std::string("--regid=") + c.user,
                                 "--clear-groups", testing_support::program("quillon-prefix").string(), "where"});
        auto result = testing_support::runProgram("/usr/bin/env", args);
        const std::string& shown = c.status == 0 ? result.out : result.err;
        EXPECT_EQ(result.status, c.status) << c.user << " " << c.environment.back() << ": " << result.err;
        EXPECT_NE(shown.find(c.says), std::string::npos) << c.user << " " << c.environment.back() << ": " << shown;
    }
}

}  // namespace
