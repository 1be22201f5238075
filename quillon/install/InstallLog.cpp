// SPDX-License-Identifier: Apache-2.0
// The install log: one text file per product, one line per call, opened and closed each time.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/com/Error.h"
#include "platform/prefix/Prefix.h"
#include "quillon/install/InstallRun.h"
#include "quillon/install/RunState.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace {
constexpr std::int32_t kPathFileAccessError = 75;

// Appends the bytes in one write, so that a line is never split by another writer.
int appendToFile(const std::string& nativePath, const std::string& bytes) {
    int fd = ::open(nativePath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return errno;
    std::size_t written = 0;
    int error = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}
}  // namespace

void SetUpInstallLogFolder() {
    auto& state = sharedRunState();
    state.InstallLogFolder =
        toollib::gorslb().SpecialFolder(toollib::kCommonFilesFolderCode, 0, 0) + "\\Orvane\\InstallLogs";
    toollib::gorsla().CreateFolder(state.InstallLogFolder);
}

std::string installLogPath(const std::string& productKey) {
    // The direct update never loads the page that sets the folder up; its log belongs in the
    // same place as every other run's.
    if (sharedRunState().InstallLogFolder.empty()) SetUpInstallLogFolder();
    return sharedRunState().InstallLogFolder + "\\UpdateLog " + productKey + ".txt";
}

void WriteInstallLog(const std::string& text, const std::string& productKey) {
    const std::string logFile = installLogPath(productKey);
    const std::string& folder = sharedRunState().InstallLogFolder;
    const std::string line = text + "\r\n";
    int error = appendToFile(platform::prefix::toNative(logFile).string(), line);
    if (error == ENOENT) {
        toollib::gorsla().CreateFolder(folder);
        error = appendToFile(platform::prefix::toNative(logFile).string(), line);
    }
    if (error != 0)
        throw platform::com::Error(
            kPathFileAccessError, "Quillon",
            "Path/File access error: cannot write the install log " + logFile + " (" + std::strerror(error) + ")");
}

}  // namespace quillon
