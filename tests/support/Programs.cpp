// SPDX-License-Identifier: Apache-2.0
#include "tests/support/Programs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace testing_support {

fs::path program(const std::string& name) {
    const fs::path standIn = fs::path(QUILLON_STANDIN_DIR) / name;
    return fs::exists(standIn) ? standIn : fs::path(QUILLON_BIN_DIR) / name;
}

bool waitForFile(const fs::path& path) {
    for (int i = 0; i < 600; ++i) {
        if (fs::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

fs::path selfExecutable() {
    return fs::read_symlink("/proc/self/exe");
}

ProgramResult runProgram(const fs::path& path, const std::vector<std::string>& args, const RunOptions& options) {
    signal(SIGPIPE, SIG_IGN);  // a child that stops reading its input must not kill the test
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) throw std::runtime_error("pipe");

    std::vector<std::string> argvStrings{path.string()};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);

    ProgramResult result;
    std::size_t written = 0;
    int inFd = in[1];
    if (options.input.empty()) {
        close(inFd);
        inFd = -1;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    bool outOpen = true, errOpen = true, killed = false;
    while (outOpen || errOpen) {
        pollfd fds[3];
        int n = 0;
        if (outOpen) fds[n++] = {out[0], POLLIN, 0};
        if (errOpen) fds[n++] = {err[0], POLLIN, 0};
        if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
        int ready = poll(fds, static_cast<nfds_t>(n), 200);
        if (ready < 0 && errno != EINTR) break;
        if (std::chrono::steady_clock::now() > deadline && !killed) {
            kill(pid, SIGKILL);
            killed = true;
        }
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == inFd) {
                ssize_t w = write(inFd, options.input.data() + written, options.input.size() - written);
                if (w > 0) written += static_cast<std::size_t>(w);
                if (w < 0 || written == options.input.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buf[8192];
            ssize_t r = read(fds[i].fd, buf, sizeof buf);
            bool isOut = fds[i].fd == out[0];
            if (r <= 0) {
                (isOut ? outOpen : errOpen) = false;
            } else {
                (isOut ? result.out : result.err).append(buf, static_cast<std::size_t>(r));
            }
        }
    }
    if (inFd >= 0) close(inFd);
    close(out[0]);
    close(err[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = (!killed && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace testing_support
