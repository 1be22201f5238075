// SPDX-License-Identifier: Apache-2.0
// A session with one update server on libcurl: FTP, FTP with explicit TLS (control and data
// channel protected, never plain text) or HTTPS. One easy handle, so that the connection is
// logged on once and reused by every call, with limits that keep a dead or stalled server from
// hanging the caller. TLS certificates are always verified. Paths are server paths with the
// host's spelling tolerated: backslashes count as slashes and repeated separators as one.
// Part of platform/gorsl; depends on libcurl and platform/support.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/support/Expected.h"
#include "platform/support/StagedFile.h"
#include "platform/support/TransferBounds.h"

namespace gorsl {

struct SessionLimits {
    // For the TCP connection and for each reply of the server.
    std::chrono::seconds responseTimeout{30};
    platform::TransferBounds bounds;

    // The defaults, with QUILLON_FTP_CONNECT_TIMEOUT (whole seconds, at least 1) taking the
    // place of the response timeout when set, and TransferBounds::fromEnvironment.
    static SessionLimits fromEnvironment();
};

enum class Proxy { FromEnvironment, None, Given };

enum class Transport {
    Ftp,
    FtpTls,  // AUTH TLS before logging on, every data connection protected too
    Https,   // files at https://host:port/path; no directories to change into
};

struct ServerLogon {
    Transport transport = Transport::Ftp;
    std::string host;
    int port = 21;
    std::string userName;  // empty: anonymous for FTP, no authentication for HTTPS (else basic)
    std::string password;
    Proxy proxy = Proxy::None;
    std::string proxyName;  // for Proxy::Given
    std::string agent;
    // PEM file of the certificate authorities that TLS servers are verified against; empty:
    // the system's store.
    std::filesystem::path certificateAuthorities = {};
};

enum class TransferMode { Binary, Text };

// Told the bytes of a file received so far and its size when the server told it (else 0),
// each time either changes. What it throws ends the transfer and reaches getFile's caller.
using TransferProgress = std::function<void(std::uint64_t received, std::uint64_t total)>;

// "\a\\b/" is "/a/b"; "" stays "" (the current directory).
std::string normaliseServerPath(std::string_view path);

// How many transfers one archive may take: the first and up to three resumes where the last
// one broke off.
inline constexpr int kMaxArchiveTransfers = 4;

class ServerSession {
public:
    // Connects and logs on (FTP), or asks for the server's root (HTTPS: any answer but 401
    // counts as logged on). Fails with libcurl's message (and the server's reply where there
    // was one).
    static platform::Expected<ServerSession> connect(const ServerLogon& logon, const SessionLimits& limits);

    ServerSession(ServerSession&&) noexcept;
    ServerSession& operator=(ServerSession&&) noexcept;
    // Ends the session (QUIT for FTP) and closes the connection.
    ~ServerSession();

    // The current directory as this session knows it: empty for the logon directory, else
    // an absolute path or one relative to the logon directory.
    const std::string& currentDirectory() const { return current_; }

    // Afterwards the current directory is the directory; false (with lastError) when the
    // server has no such directory, the current directory then staying as it was. HTTPS has
    // no directories to ask for: the change always holds and a missing one shows at getFile.
    bool changeDirectory(std::string_view path);
    // Fetches the file to the native local path through a StagedFile: afterwards the whole
    // file is there; after failure (false, with lastError) nothing new is at the local path,
    // and with Overwrite::Keep an existing local file fails the call and stays as it was.
    // The bounds of `kind` apply (a descriptor's deadline counts from connect). Messages name
    // the local file as `shownAs` (the caller's spelling of it). An archive whose transfer
    // broke off (the connection lost or closed early) is resumed where it stopped, REST for
    // FTP and a range for HTTPS, in at most kMaxArchiveTransfers transfers.
    bool getFile(std::string_view remotePath, const std::filesystem::path& localPath, std::string_view shownAs,
                 platform::Overwrite overwrite, TransferMode mode, platform::TransferKind kind,
                 const TransferProgress& progress = {});
    const std::string& lastError() const { return lastError_; }

private:
    struct Handle;
    explicit ServerSession(std::unique_ptr<Handle> handle);
    std::string resolve(std::string_view path) const;
    std::string urlFor(const std::string& path) const;
    bool perform(const std::string& url, bool body);

    std::unique_ptr<Handle> handle_;
    platform::TransferBounds bounds_;
    std::chrono::steady_clock::time_point connectedAt_;
    std::string current_;
    Transport transport_ = Transport::Ftp;
    std::string lastError_;
    int lastCode_ = 0;  // libcurl's code of the last perform
};

}  // namespace gorsl
