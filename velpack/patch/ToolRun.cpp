// SPDX-License-Identifier: Apache-2.0
#include "velpack/patch/ToolRun.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "platform/forms/EventLoop.h"
#include "platform/support/ChildProcess.h"

namespace velpack {
namespace {

// Kills and reaps the child unless it was reaped already.
class ChildGuard {
public:
    explicit ChildGuard(pid_t pid) : pid_(pid) {}
    ~ChildGuard() {
        if (pid_ > 0) killAndReap();
    }
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;

    bool ended() {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno == ECHILD)) {
            pid_ = -1;
            return true;
        }
        return false;
    }
    void killAndReap() {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }

private:
    pid_t pid_;
};

// Short enough that the caller's window stays lively, long enough not to keep a core busy.
constexpr std::chrono::milliseconds kPollPause{5};

}  // namespace

ToolRunOutcome runToolAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                              const std::filesystem::path& workingDirectory, std::chrono::milliseconds limit) {
    const auto pid = platform::spawnProcess(program, arguments, workingDirectory);
    if (!pid) return ToolRunOutcome::NotStarted;
    ChildGuard child(*pid);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        platform::forms::doEvents();
        if (child.ended()) return ToolRunOutcome::Ended;
        if (std::chrono::steady_clock::now() >= deadline) {
            child.killAndReap();
            return ToolRunOutcome::TimedOut;
        }
        std::this_thread::sleep_for(kPollPause);
    }
}

}  // namespace velpack
