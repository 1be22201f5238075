// SPDX-License-Identifier: Apache-2.0
#include "quillon/install/ScriptCommands.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>
#include <variant>
#include <vector>

#include "platform/com/Conversion.h"
#include "platform/com/Error.h"
#include "platform/forms/MessageBox.h"
#include "platform/prefix/Prefix.h"
#include "platform/support/Wildcard.h"
#include "quillon/install/InstallRun.h"
#include "quillon/install/RunState.h"
#include "quillon/install/SharedFileCommands.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace fs = std::filesystem;
namespace forms = platform::forms;
using platform::com::Boolean;

namespace {

constexpr const char* kMessageTitle = "Installationsmeldung";

// clang-format off
constexpr std::array kCommands{
    ScriptCommand{"MESSAGE", "MESSAGE", 1, MessageCommand},
    ScriptCommand{"MSG", "MESSAGE", 1, MessageCommand},
    ScriptCommand{"QUERYCANCEL", "QUERYCANCEL", 1, QueryCancelCommand},
    ScriptCommand{"DELETE", "DELETE", 1, DeleteCommand},
    ScriptCommand{"DEL", "DELETE", 1, DeleteCommand},
    ScriptCommand{"ERASE", "DELETE", 1, DeleteCommand},
    ScriptCommand{"KILL", "DELETE", 1, DeleteCommand},
    ScriptCommand{"WIPE", "DELETE", 1, DeleteCommand},
    ScriptCommand{"SH_DELETE", "SH_DELETE", 1, ShellDeleteCommand},
    ScriptCommand{"SH_DEL", "SH_DELETE", 1, ShellDeleteCommand},
    ScriptCommand{"ADD", "ADD", 2, AddCommand},
    ScriptCommand{"COPY", "COPY", 2, CopyCommand},
    ScriptCommand{"MOVE", "MOVE", 2, MoveCommand},
    ScriptCommand{"UPDATEDLL", "UPDATEDLL", 2, UpdateDllCommand},
    ScriptCommand{"PATCH", "PATCH", 2, PatchCommand},
    ScriptCommand{"SETVER", "SETVER", 3, SetVersionCommand},
    ScriptCommand{"IMPORTREG", "IMPORTREG", 1, ImportRegCommand},
    ScriptCommand{"REGDLL", "REGDLL", 1, RegDllCommand},
    ScriptCommand{"WL_ADD", "WL_ADD", 2, WebLinkAddCommand},
    ScriptCommand{"WL_RMV", "WL_RMV", 1, WebLinkRemoveCommand},
    ScriptCommand{"WL_RMDIR", "WL_RMDIR", 1, WebLinkRemoveFolderCommand},
    ScriptCommand{"REQUIREREBOOT", "REQUIREREBOOT", 0, RequireRebootCommand},
    ScriptCommand{"REBOOTREQUIRED", "REQUIREREBOOT", 0, RequireRebootCommand},
    ScriptCommand{"CANCEL", "CANCEL", 0, CancelCommand},
    ScriptCommand{"INSTALLER_VERSION", "INSTALLER_VERSION", 0, InstallerVersionCommand},
};
// clang-format on

void log(const std::string& text, const std::string& productKey) {
    WriteInstallLog(text, productKey);
}

std::string errorText(const std::exception& error) {
    if (auto* com = dynamic_cast<const platform::com::Error*>(&error)) return com->description();
    return error.what();
}

// The host's description of a failed file operation, with the system's reason.
std::string fileErrorText(std::error_code why) {
    if (why == std::errc::no_such_file_or_directory) return platform::com::standardDescription(53);
    if (why == std::errc::permission_denied || why == std::errc::operation_not_permitted) return "Permission denied";
    return "Path/File access error (" + why.message() + ")";
}

bool isDeletableFile(const fs::path& path) {
    std::error_code error;
    auto type = fs::symlink_status(path, error).type();
    return !error && (type == fs::file_type::regular || type == fs::file_type::symlink);
}

// The files a path names: the one file, or with * or ? in its last component every matching
// entry of its folder, in name order. Folders never count.
std::vector<fs::path> filesNamedBy(const std::string& path) {
    std::vector<fs::path> files;
    if (path.empty()) return files;
    const fs::path native = platform::prefix::toNative(path);
    const std::string name = native.filename().string();
    if (!platform::hasWildcard(name)) {
        if (isDeletableFile(native)) files.push_back(native);
        return files;
    }
    std::error_code error;
    for (fs::directory_iterator it(native.parent_path(), error), end; !error && it != end; it.increment(error))
        if (platform::matchesWildcard(name, it->path().filename().string()) && isDeletableFile(it->path()))
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

// Deletes what the path names; the description of the first failure, nothing on success.
std::optional<std::string> deleteFiles(const std::string& path) {
    const auto files = filesNamedBy(path);
    if (files.empty()) return fileErrorText(std::make_error_code(std::errc::no_such_file_or_directory));
    for (const fs::path& file : files) {
        std::error_code error;
        fs::remove(file, error);
        if (error) return fileErrorText(error);
    }
    return std::nullopt;
}

// An existing destination of COPY, moved out of the way under a hidden name in its own folder
// instead of being deleted, so that it can be put back when the new copy is not produced.
struct SetAside {
    fs::path original;
    fs::path aside;
};

std::variant<SetAside, std::string> setAside(const std::string& path) {
    const fs::path native = platform::prefix::toNative(path);
    if (!isDeletableFile(native)) return fileErrorText(std::make_error_code(std::errc::no_such_file_or_directory));
    const fs::path aside =
        native.parent_path() / ("." + native.filename().string() + "." + toollib::gorslb().UniqueName() + ".kept");
    std::error_code error;
    fs::rename(native, aside, error);
    if (error) return fileErrorText(error);
    return SetAside{native, aside};
}

// The nested DELETE of COPY: its arguments prepared again and its lines logged, but the file
// is set aside rather than deleted.
std::optional<SetAside> setAsideStep(const std::string& argumentText, const std::string& productKey) {
    const ScriptArguments A = PrepareScriptArguments(argumentText, productKey);
    const std::string path = A.empty() ? std::string() : A[0];
    log("Deleting " + path + "...", productKey);
    auto result = setAside(path);
    if (auto* failure = std::get_if<std::string>(&result)) {
        log("...failed! Error: " + *failure, productKey);
        return std::nullopt;
    }
    return std::get<SetAside>(result);
}

void createFolderOf(const std::string& path) {
    auto& gorsla = toollib::gorsla();
    // A bare file name lies in the working folder, which exists.
    const std::string folder = gorsla.FolderPart(path);
    if (!folder.empty()) gorsla.CreateFolder(folder);
}

bool fileExists(const std::string& path) {
    return toollib::gorsla().FileExists(path) != platform::com::False;
}

// COPY; true when the destination was produced.
bool copyFile(const ScriptArguments& A, const std::string& productKey) {
    const std::string& source = A[0];
    const std::string& destination = A[1];
    log("Copying " + source + " to " + destination + "...", productKey);
    std::optional<SetAside> kept;
    if (fileExists(destination)) {
        log(destination + " exists, trying to delete it:", productKey);
        kept = setAsideStep(destination, productKey);
        log("Resuming copy...", productKey);
    } else {
        createFolderOf(destination);
    }
    toollib::gorsla().CopyFile(source, destination, platform::com::True);
    const bool produced = fileExists(destination);
    std::error_code error;
    if (produced) {
        if (kept) fs::remove(kept->aside, error);
        return true;
    }
    if (!kept) {
        log("...failed (because " + destination + " does not exist).", productKey);
        return false;
    }
    fs::rename(kept->aside, kept->original, error);
    if (error) {
        log("...failed (because " + destination + " was not produced); the old file could not be put back and is " +
                platform::prefix::toWindows(kept->aside) + " (" + fileErrorText(error) + ").",
            productKey);
    } else {
        log("...failed (because " + destination + " was not produced), so the old file was kept.", productKey);
    }
    return false;
}

}  // namespace

const ScriptCommand* findScriptCommand(std::string_view keyword) {
    for (const ScriptCommand& command : kCommands)
        if (command.keyword == keyword) return &command;
    return nullptr;
}

std::size_t argumentsRead(const ScriptCommand& command, const ScriptArguments& A) {
    if (command.name == "WL_ADD" && A.size() > 2 && !A[2].empty()) return 4;
    return command.reads;
}

std::string tooFewArgumentsLine(std::string_view keyword, std::size_t reads, std::size_t given) {
    return "Error: " + std::string(keyword) + " needs " + std::to_string(reads) +
           (reads == 1 ? " argument" : " arguments") + " but was given " + std::to_string(given) +
           ", so nothing was done.";
}

void ExecuteScriptCommand(const std::string& keyword, const std::string& argumentText, const std::string& productKey,
                          bool& CancelRequested) {
    const ScriptArguments A = PrepareScriptArguments(argumentText, productKey);
    const ScriptCommand* command = findScriptCommand(keyword);
    if (!command) return;
    const std::size_t reads = argumentsRead(*command, A);
    if (A.size() < reads) {
        log(tooFewArgumentsLine(keyword, reads, A.size()), productKey);
        return;
    }
    command->run(A, productKey, CancelRequested);
}

void MessageCommand(const ScriptArguments& A, const std::string&, bool&) {
    forms::messageBox(A[0], forms::style::OkOnly | forms::style::Information, kMessageTitle);
}

void QueryCancelCommand(const ScriptArguments& A, const std::string&, bool& CancelRequested) {
    int answer = forms::messageBox(A[0], forms::style::OkCancel | forms::style::Information, kMessageTitle);
    if (answer == forms::answer::Cancel) CancelRequested = true;
}

void DeleteCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    log("Deleting " + A[0] + "...", productKey);
    if (auto failure = deleteFiles(A[0])) log("...failed! Error: " + *failure, productKey);
}

void ShellDeleteCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    log("Shell deleting " + A[0] + "...", productKey);
    try {
        toollib::gorslb().ShellDelete(A[0], toollib::kShellDeleteToTrash, 0);
    } catch (const std::exception& error) {
        log("...failed! Error: " + errorText(error), productKey);
    }
}

void AddCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    const std::string& source = A[0];
    const std::string& destination = A[1];
    if (fileExists(destination)) {
        log(destination + " exists, so it is NOT added.", productKey);
        return;
    }
    log("Adding file " + source + " to " + destination + " (because it doesn't exist)...", productKey);
    createFolderOf(destination);
    toollib::gorsla().CopyFile(source, destination, platform::com::False);
    if (!fileExists(destination)) log("...failed (because " + destination + " does not exist)", productKey);
}

void CopyCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    copyFile(A, productKey);
}

void MoveCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested) {
    const std::string& source = A[0];
    const std::string& destination = A[1];
    log("Moving " + source + " to " + destination + " (through copy)...", productKey);
    // The nested COPY, its arguments prepared again as every nested step's are.
    const ScriptArguments nested = PrepareScriptArguments(source + ";" + destination, productKey);
    if (!copyFile(nested, productKey)) {
        log("Move failed, so " + source + " is NOT deleted.", productKey);
        return;
    }
    log("Resuming move and deleting old file...", productKey);
    ExecuteScriptCommand("DELETE", source, productKey, CancelRequested);
    log("Move completed.", productKey);
}

void SetVersionCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    log("Setting new version for " + productKey + "...", productKey);
    settings::writeInstalledVersion(productKey, A[0], A[1], A[2]);
}

void WebLinkAddCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    const std::string& file = A[0];
    log("Adding Internet shortcut file " + file + "...", productKey);
    std::string text = "[InternetShortcut]\r\nURL=" + A[1] + "\r\n";
    if (A.size() > 2 && !A[2].empty()) text += "IconFile=" + A[2] + "\r\nIconIndex=" + A[3] + "\r\n";
    try {
        createFolderOf(file);
    } catch (const std::exception&) {
        // The write below reports what matters.
    }
    try {
        toollib::gorsla().WriteTextFile(file, text);
    } catch (const std::exception&) {
        log("Error: could not write file", productKey);
    }
}

void WebLinkRemoveCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    log("Removing Internet shortcut file " + A[0] + "...", productKey);
    toollib::gorslb().DeleteFile(A[0]);
}

void WebLinkRemoveFolderCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    log("Removing Internet shortcut subdirectory " + A[0] + "...", productKey);
    log("Error: currently not supported", productKey);
}

void RequireRebootCommand(const ScriptArguments&, const std::string& productKey, bool&) {
    log("(system must be restarted after update has finished)", productKey);
    sharedRunState().RebootRequired = true;
}

void CancelCommand(const ScriptArguments&, const std::string&, bool& CancelRequested) {
    CancelRequested = true;
}

void InstallerVersionCommand(const ScriptArguments&, const std::string&, bool&) {}

}  // namespace quillon
