// SPDX-License-Identifier: Apache-2.0
// A real update server for tests: tests/support/ftp_server.py (pyftpdlib, or Python's HTTP
// server for HTTPS, started with Debian's /usr/bin/python3) on a free loopback port, serving a
// folder to the users it is given over FTP, FTP with explicit TLS or HTTPS. The destructor
// stops it and reaps it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

struct FtpUser {
    std::string name;
    std::string password;
};

enum class Anonymous { Off, On };

enum class ServerProtocol {
    Ftp,
    Ftps,   // AUTH TLS required before logon, PROT P before every transfer
    Https,  // GET and HEAD with byte ranges; basic authentication for the users
};

enum class FtpMode {
    Normal,
    Silent,  // accepts connections and never answers
    Stall,   // sends the first 64 KiB of a download, then nothing
};

struct FtpServerOptions {
    std::filesystem::path root;  // what the users see as "/"
    std::vector<FtpUser> users;
    Anonymous anonymous = Anonymous::Off;
    FtpMode mode = FtpMode::Normal;
    int port = 0;              // 0: a free port
    std::string endless = {};  // a file name whose download never ends; empty: none
    int rate = 0;              // bytes per second of every download; 0: as fast as the server can
    ServerProtocol protocol = ServerProtocol::Ftp;
    std::filesystem::path certificate = {};  // certificate and key (PEM), for Ftps and Https
    int cutAfter = 0;                        // every download breaks off after this many bytes; 0: never
};

class FtpServer {
public:
    // Starts the server and waits until it listens. Throws std::runtime_error when it does
    // not come up within 30 seconds (the server's own output is in the message).
    explicit FtpServer(FtpServerOptions options);
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    const std::string& host() const { return host_; }
    int port() const { return port_; }
    // The server's log so far: one line per command received ("... <- USER anna", "... <- QUIT";
    // for HTTPS "... <- GET /path Range: bytes=N-").
    std::string log() const;
    // How many lines of the log contain `text`.
    int count(const std::string& text) const;

private:
    std::filesystem::path folder_;  // holds the log file
    std::string host_ = "127.0.0.1";
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace testing_support
