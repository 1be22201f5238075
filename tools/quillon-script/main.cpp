// SPDX-License-Identifier: Apache-2.0
// quillon-script: install scripts for the people who write them and the admins who run them.
//   quillon-script run FOLDER PRODUCTKEY   runs FOLDER's aupdate.inf as the wizard does
//   quillon-script check FILE [--product KEY]   reports what a script will do unexpectedly
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/support/StandardOptions.h"
#include "quillon/ModMain.h"
#include "quillon/install/InstallRun.h"
#include "quillon/install/RunState.h"
#include "quillon/install/ScriptFile.h"
#include "quillon/toollib/ToolLibrary.h"
#include "tools/common/Report.h"
#include "tools/quillon-script/ScriptCheck.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHelp =
    "usage: quillon-script run FOLDER PRODUCTKEY\n"
    "       quillon-script check FILE [--product KEY]\n"
    "\n"
    "run    copies FOLDER into the install temp folder and runs its aupdate.inf for the product,\n"
    "       exactly as the wizard does after unpacking an update, with its message boxes on the\n"
    "       console (QUILLON_UI=console or no display) or in windows. FOLDER stays as it was.\n"
    "       Prints the lines the run added to the product's install log, then RebootRequired=True\n"
    "       or RebootRequired=False. Exit status 0 when the run ended, 3 when the script cancelled\n"
    "       it, 1 when FOLDER has no aupdate.inf, 2 when FOLDER cannot be copied.\n"
    "check  reads FILE without running it and reports, one line each beginning with its line\n"
    "       number: words that are no command (skipped as remarks), commands given too few\n"
    "       arguments, quotes that stay part of an argument, %name% placeholders that name no\n"
    "       variable of the product (with --product), commands after a CANCEL, and lone LF line\n"
    "       ends. Exit status 0 when nothing was found, 1 otherwise, 2 when FILE cannot be read.\n"
    "\n"
    "Both work in the prefix ($QUILLON_PREFIX; see quillon-prefix where).\n";

int usage() {
    std::fputs(kHelp, stderr);
    return 2;
}

std::optional<std::string> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > quillon::kMaxScriptBytes) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::uintmax_t fileSize(const fs::path& path) {
    std::error_code error;
    auto size = fs::file_size(path, error);
    return error ? 0 : size;
}

int check(const std::vector<std::string>& args) {
    std::optional<std::string> product;
    std::optional<std::string> file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--product" && i + 1 < args.size())
            product = args[++i];
        else if (!file && args[i] != "--product")
            file = args[i];
        else
            return usage();
    }
    if (!file) return usage();
    auto bytes = readBytes(platform::prefix::toNative(*file));
    if (!bytes) {
        std::fprintf(stderr, "quillon-script: cannot read %s\n", file->c_str());
        return 2;
    }
    std::optional<quillon_script::KnownVariable> known;
    if (product) known = quillon_script::productVariables(*product);
    const auto findings = quillon_script::checkScript(*bytes, known);
    for (const auto& finding : findings) std::printf("%s\n", finding.c_str());
    return findings.empty() ? 0 : 1;
}

// The work of `run`, inside the chosen forms host.
int run(const fs::path& folder, const std::string& productKey) {
    auto& gorslb = quillon::toollib::gorslb();
    const std::string installTemp = gorslb.SpecialFolder(quillon::toollib::kInstallTempFolderCode, 0, 0);
    std::error_code error;
    // Links are copied as links, so nothing outside FOLDER is read through them.
    fs::copy(folder, platform::prefix::toNative(installTemp),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks | fs::copy_options::overwrite_existing,
             error);
    if (error) {
        std::fprintf(stderr, "quillon-script: cannot copy %s: %s\n", folder.c_str(), error.message().c_str());
        return 2;
    }
    quillon::SetUpInstallLogFolder();
    const fs::path log = platform::prefix::toNative(quillon::installLogPath(productKey));
    const std::uintmax_t before = fileSize(log);
    const auto outcome = quillon::executeInstallRun(installTemp, productKey);

    std::ifstream in(log, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(before));
    std::string added((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    for (std::size_t end; (end = added.find("\r\n", start)) != std::string::npos; start = end + 2)
        std::cout << added.substr(start, end - start) << '\n';
    std::cout << "RebootRequired=" << (quillon::sharedRunState().RebootRequired ? "True" : "False") << std::endl;
    switch (outcome) {
        case quillon::InstallRunOutcome::Completed:
            return 0;
        case quillon::InstallRunOutcome::Cancelled:
            return 3;
        case quillon::InstallRunOutcome::ScriptMissing:
            return 1;
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (auto status = platform::answerStandardOptions(argc, argv, "quillon-script", kHelp)) return *status;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args[0] == "check") return check({args.begin() + 1, args.end()});
    if (args[0] == "run" && args.size() == 3) {
        const fs::path folder = platform::prefix::toNative(args[1]);
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            std::fprintf(stderr, "quillon-script: %s is not a folder\n", args[1].c_str());
            return 2;
        }
        const std::string productKey = args[2];
        return tools::runWithMessageBoxes(argc, argv, quillon::kProgramTitle, [&] { return run(folder, productKey); });
    }
    return usage();
}
