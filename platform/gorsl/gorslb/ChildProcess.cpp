// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/ChildProcess.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/prefix/Prefix.h"
#include "platform/support/ChildProcess.h"

namespace fs = std::filesystem;

namespace gorsl {

namespace {
bool isExecutableFile(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The Windows-style name as written, then with ".exe", each mapped through the prefix so
// that letter case is matched as the host matches it.
std::optional<fs::path> tryWithExe(const std::string& name) {
    for (const std::string& candidate : {name, name + ".exe"}) {
        fs::path path = platform::prefix::toNative(candidate);
        if (isExecutableFile(path)) return path;
    }
    return std::nullopt;
}

std::optional<pid_t> spawn(const fs::path& program, const std::vector<std::string>& arguments,
                           const ChildOptions& options) {
    return platform::spawnProcess(program, arguments, options.workingDirectory);
}

std::optional<int> statusOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return std::nullopt;
}

void reapInBackground(pid_t pid) {
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}
}  // namespace

std::optional<fs::path> findProgram(std::string_view name) {
    if (name.empty()) return std::nullopt;
    bool isPath = name.find_first_of("\\/") != std::string_view::npos || (name.size() >= 2 && name[1] == ':');
    if (isPath) return tryWithExe(std::string(name));
    for (auto folder : {platform::prefix::Folder::System, platform::prefix::Folder::Windows})
        if (auto found = tryWithExe(platform::prefix::windowsPath(folder) + "\\" + std::string(name))) return found;
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!rest.empty()) {
        std::size_t colon = rest.find(':');
        std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty()) continue;
        if (auto found = tryWithExe((fs::path(folder) / std::string(name)).string())) return found;
    }
    return std::nullopt;
}

std::optional<int> runAndWait(const fs::path& program, const std::vector<std::string>& arguments,
                              const ChildOptions& options) {
    auto pid = spawn(program, arguments, options);
    if (!pid) return std::nullopt;
    int status = 0;
    while (::waitpid(*pid, &status, 0) < 0)
        if (errno != EINTR) return std::nullopt;
    return statusOf(status);
}

std::optional<int> runAndWait(const fs::path& program, const std::vector<std::string>& arguments,
                              const ChildOptions& options, std::chrono::milliseconds limit) {
    auto pid = spawn(program, arguments, options);
    if (!pid) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        int status = 0;
        pid_t done = ::waitpid(*pid, &status, WNOHANG);
        if (done == *pid) return statusOf(status);
        if (done < 0 && errno != EINTR) return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline) {
            reapInBackground(*pid);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool startDetached(const fs::path& program, const std::vector<std::string>& arguments, const ChildOptions& options) {
    auto pid = spawn(program, arguments, options);
    if (!pid) return false;
    reapInBackground(*pid);
    return true;
}

}  // namespace gorsl
