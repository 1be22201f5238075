// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/Shell.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/forms/MessageBox.h"
#include "platform/gorsl/common/Errors.h"
#include "platform/gorsl/gorslb/ChildProcess.h"
#include "platform/gorsl/gorslb/CommandLine.h"
#include "platform/gorsl/gorslb/Trash.h"
#include "platform/prefix/Prefix.h"
#include "platform/support/TextCase.h"
#include "platform/support/Wildcard.h"

namespace fs = std::filesystem;

namespace gorsl {

namespace {
constexpr const char* kDefaultOpenCommand = "xdg-open";
constexpr const char* kDefaultRestartCommand = "systemctl reboot";
constexpr auto kRestartCommandLimit = std::chrono::seconds(120);

std::string fromEnvironment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// "scheme://..." or "mailto:...".
bool isAddress(const std::string& text) {
    if (platform::asciiLower(text.substr(0, 7)) == "mailto:") return true;
    std::size_t colon = text.find("://");
    if (colon == std::string::npos || colon < 2) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = text[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

// Programs are known by their extension, as on the host, so a document that happens to be
// executable still goes to the opener.
bool isProgramName(const fs::path& path) {
    const std::string extension = platform::asciiLower(path.extension().string());
    for (const char* known : {"", ".exe", ".com", ".bat", ".cmd", ".sh"})
        if (extension == known) return true;
    return false;
}

// Runs a configured command through the shell with `arguments` appended as "$@".
std::vector<std::string> shellCommand(const std::string& command, const std::vector<std::string>& arguments) {
    std::vector<std::string> args{"-c", command + " \"$@\"", "sh"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return args;
}

std::vector<fs::path> expandWildcards(const std::string& path) {
    fs::path native = platform::prefix::toNative(path);
    const std::string name = native.filename().string();
    std::vector<fs::path> found;
    if (!platform::hasWildcard(name)) {
        std::error_code error;
        if (fs::symlink_status(native, error).type() != fs::file_type::not_found && !error) found.push_back(native);
        return found;
    }
    std::error_code error;
    for (fs::directory_iterator it(native.parent_path(), error), end; !error && it != end; it.increment(error))
        if (platform::matchesWildcard(name, it->path().filename().string())) found.push_back(it->path());
    std::sort(found.begin(), found.end());
    return found;
}
}  // namespace

bool shellOpen(const std::string& file, const std::string& verb, const std::string& parameters,
               const std::string& directory) {
    if (!verb.empty() && platform::asciiLower(verb) != "open") return false;
    if (file.empty()) return false;
    ChildOptions options;
    if (!directory.empty()) options.workingDirectory = platform::prefix::toNative(directory);
    const fs::path shell = "/bin/sh";
    const std::string opener = fromEnvironment("QUILLON_OPEN_COMMAND", kDefaultOpenCommand);
    if (isAddress(file)) return startDetached(shell, shellCommand(opener, {file}), options);
    if (auto program = findProgram(file); program && isProgramName(*program))
        return startDetached(*program, splitArguments(parameters), options);
    fs::path document = platform::prefix::toNative(file);
    std::error_code error;
    if (!fs::exists(document, error)) return false;
    return startDetached(shell, shellCommand(opener, {document.string()}), options);
}

void shellDelete(const std::string& path, std::int32_t flags, const std::string& source) {
    if (path.empty()) throw invalidArgument(source, "the path to delete is empty");
    auto items = expandWildcards(path);
    if (items.empty())
        throw fileError(source, "delete", path, std::make_error_code(std::errc::no_such_file_or_directory));
    for (const auto& item : items) {
        std::error_code error;
        if (flags & kAllowUndo)
            error = moveToTrash(item);
        else
            fs::remove_all(item, error);
        if (error) throw fileError(source, "delete", platform::prefix::toWindows(item), error);
    }
}

bool restartComputer(std::int32_t mode, const std::string& source) {
    if (mode != kRebootMode)
        throw invalidArgument(source, "restart mode " + std::to_string(mode) + " is not supported");
    namespace forms = platform::forms;
    int answer = forms::messageBox(
        "Sie m\xC3\xBCssen den Computer neu starten, damit die neuen Einstellungen wirksam werden. M\xC3\xB6"
        "chten Sie den Computer jetzt neu starten?",
        forms::style::YesNo | forms::style::Question | forms::style::DefaultButton2);
    if (answer != forms::answer::Yes) return false;
    const std::string command = fromEnvironment("QUILLON_RESTART_COMMAND", kDefaultRestartCommand);
    auto status = runAndWait("/bin/sh", {"-c", command}, {}, kRestartCommandLimit);
    return status && *status == 0;
}

}  // namespace gorsl
