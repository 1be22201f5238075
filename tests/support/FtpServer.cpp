// SPDX-License-Identifier: Apache-2.0
#include "tests/support/FtpServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/TestPrefix.h"

namespace fs = std::filesystem;

namespace testing_support {

namespace {
constexpr const char* kPython = "/usr/bin/python3";

void stopAndReap(pid_t pid) {
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}
}  // namespace

FtpServer::FtpServer(FtpServerOptions options) : folder_(makeTempDirectory("quillon-ftp")) {
    const fs::path script = fs::path(QUILLON_SOURCE_DIR) / "tests/support/ftp_server.py";
    const fs::path logFile = folder_ / "server.log";
    std::vector<std::string> args{kPython,  script.string(), "--root", options.root.string(),
                                  "--host", host_,           "--port", std::to_string(options.port),
                                  "--log",  logFile.string()};
    for (const auto& user : options.users) args.insert(args.end(), {"--user", user.name + ":" + user.password});
    if (options.anonymous == Anonymous::On) args.push_back("--anonymous");
    if (!options.endless.empty()) args.insert(args.end(), {"--endless", options.endless});
    if (options.rate > 0) args.insert(args.end(), {"--rate", std::to_string(options.rate)});
    args.insert(args.end(), {"--protocol", options.protocol == ServerProtocol::Ftps    ? "ftps"
                                           : options.protocol == ServerProtocol::Https ? "https"
                                                                                       : "ftp"});
    if (!options.certificate.empty()) args.insert(args.end(), {"--certificate", options.certificate.string()});
    if (options.cutAfter > 0) args.insert(args.end(), {"--cut", std::to_string(options.cutAfter)});
    args.insert(args.end(), {"--mode", options.mode == FtpMode::Silent  ? "silent"
                                       : options.mode == FtpMode::Stall ? "stall"
                                                                        : "normal"});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::dup2(out[1], 1);
        int errLog = ::open((folder_ / "stderr.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errLog >= 0) ::dup2(errLog, 2);
        ::execv(kPython, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);

    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (received.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{out[0], POLLIN, 0};
        if (::poll(&fd, 1, 200) <= 0) continue;
        char buffer[256];
        ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (received.rfind("PORT ", 0) != 0 || received.find('\n') == std::string::npos) {
        stopAndReap(pid_);
        std::ifstream err(folder_ / "stderr.log");
        std::stringstream text;
        text << err.rdbuf();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        throw std::runtime_error("update server did not start: " + received + text.str());
    }
    port_ = std::stoi(received.substr(5));
}

FtpServer::~FtpServer() {
    if (pid_ > 0) stopAndReap(pid_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string FtpServer::log() const {
    std::ifstream in(folder_ / "server.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int FtpServer::count(const std::string& text) const {
    std::istringstream lines(log());
    std::string line;
    int n = 0;
    while (std::getline(lines, line))
        if (line.find(text) != std::string::npos) ++n;
    return n;
}

}  // namespace testing_support
