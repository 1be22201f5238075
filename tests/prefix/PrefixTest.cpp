#include "platform/prefix/Prefix.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

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
    for (const char* p : {"C:\\windows\\temp", "\\\\srv\\share\\f.idx"})
        EXPECT_EQ(toWindows(toNative(p)), p) << p;
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
    std::string saved = std::getenv("QUILLON_PREFIX") ? std::getenv("QUILLON_PREFIX") : "";
    ::unsetenv("QUILLON_PREFIX");
    ::setenv("XDG_DATA_HOME", "/xdg/data", 1);
    fs::path expected = geteuid() == 0 ? fs::path("/var/lib/quillon") : fs::path("/xdg/data/quillon");
    EXPECT_EQ(root(), expected);
    ::unsetenv("XDG_DATA_HOME");
    if (!saved.empty()) ::setenv("QUILLON_PREFIX", saved.c_str(), 1);
}

}  // namespace
