// SPDX-License-Identifier: Apache-2.0
// quillon-prefix: makes and shows the prefix, the root folder that stands in for the host
// system (drives, Windows and system folders, registry store).
//   quillon-prefix init [DIR]   make the prefix and register the four server libraries
//   quillon-prefix where        print the prefix and its special folders
//   quillon-prefix boot         do what the host does at its next start (Boot.h)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/registry/RegistryStore.h"
#include "platform/support/ProgramLocation.h"
#include "platform/support/StandardOptions.h"
#include "platform/support/VisibleText.h"
#include "quillon/settings/RegistryLayout.h"
#include "tools/common/Spawn.h"
#include "tools/quillon-prefix/Boot.h"

namespace fs = std::filesystem;
namespace prefix = platform::prefix;
namespace reg = platform::registry;

namespace {
constexpr const char* kServerLibraries[] = {"Gorsla.so", "Gorslb.so", "Gorsld.so", "Velpack.so"};

constexpr const char* kUsage =
    "usage: quillon-prefix init [DIR]   make a prefix (default: $QUILLON_PREFIX or the user's default)\n"
    "       quillon-prefix where        print the prefix and its special folders\n"
    "       quillon-prefix boot         replace the files and run the RunOnce commands queued for the next start\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 1;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "quillon-prefix: %s\n", platform::visibleText(message).c_str());
    return 1;
}

// Places a stand-in program in the prefix under its Windows name, as a link to the real one.
void placeStandIn(const fs::path& program, const fs::path& where) {
    std::error_code ec;
    fs::remove(where, ec);
    fs::create_symlink(program, where);
}

int init(const fs::path& dir) {
    fs::path root = fs::absolute(dir).lexically_normal();
    ::setenv("QUILLON_PREFIX", root.c_str(), 1);
    try {
        prefix::createLayout(root);
    } catch (const fs::filesystem_error& e) {
        return fail("cannot make the prefix folders: " + std::string(e.what()));
    }
    {
        auto store = reg::RegistryStore::open(prefix::registryPath());
        if (!store) return fail(store.error());
        try {
            store->createKey(reg::Hive::LocalMachine, quillon::settings::kBaseKey);
        } catch (const reg::StoreError& e) {
            return fail(e.what());
        }
    }
    const fs::path standIns = platform::standInDirectory();
    const fs::path regsvr32 = standIns / "regsvr32";
    try {
        placeStandIn(regsvr32, prefix::nativePath(prefix::Folder::System) / "regsvr32.exe");
        if (fs::exists(standIns / "regedit"))
            placeStandIn(standIns / "regedit", prefix::nativePath(prefix::Folder::Windows) / "regedit.exe");
    } catch (const fs::filesystem_error& e) {
        return fail("cannot place the stand-in programs: " + std::string(e.what()));
    }
    for (const char* library : kServerLibraries) {
        fs::path path = platform::libraryDirectory() / library;
        if (!fs::exists(path)) return fail("server library " + path.string() + " not found");
        int status = tools::runAndWait(regsvr32, {"/s", path.string()}, {{"QUILLON_PREFIX", root.string()}});
        if (status != 0) return fail("registration of " + path.string() + " failed");
    }
    std::printf("prefix ready: %s\n", root.c_str());
    return 0;
}

int where() {
    std::printf("prefix     %s\n", prefix::root().c_str());
    std::printf("registry   %s\n", prefix::registryPath().c_str());
    for (auto folder :
         {prefix::Folder::Favorites, prefix::Folder::Windows, prefix::Folder::System, prefix::Folder::CommonFiles}) {
        std::printf("folder %-3d %-32s %s\n", static_cast<int>(folder), prefix::windowsPath(folder).c_str(),
                    prefix::nativePath(folder).c_str());
    }
    std::printf("temp       %-32s %s\n", prefix::tempFolder().c_str(), prefix::toNative(prefix::tempFolder()).c_str());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (auto status = platform::answerStandardOptions(argc, argv, "quillon-prefix", kUsage)) return *status;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    try {
        if (args[0] == "init" && args.size() <= 2) return init(args.size() == 2 ? fs::path(args[1]) : prefix::root());
        if (args[0] == "where" && args.size() == 1) return where();
        if (args[0] == "boot" && args.size() == 1) return tools::bootPrefix();
    } catch (const prefix::NoHomeFolder& e) {
        return fail(e.what());
    }
    return usage();
}
