// SPDX-License-Identifier: Apache-2.0
// An FTP session on libcurl: one easy handle, so that the control connection is logged on
// once and reused by every call, with limits that keep a dead or stalled server from hanging
// the caller. Paths are FTP paths with the host's spelling tolerated: backslashes count as
// slashes and repeated separators as one.
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

struct FtpLimits {
    // For the TCP connection and for each reply of the server.
    std::chrono::seconds responseTimeout{30};
    platform::TransferBounds bounds;

    // The defaults, with QUILLON_FTP_CONNECT_TIMEOUT (whole seconds, at least 1) taking the
    // place of the response timeout when set, and TransferBounds::fromEnvironment.
    static FtpLimits fromEnvironment();
};

enum class Proxy { FromEnvironment, None, Given };

struct FtpLogon {
    std::string host;
    int port = 21;
    std::string userName;  // empty: anonymous
    std::string password;
    Proxy proxy = Proxy::None;
    std::string proxyName;  // for Proxy::Given
    std::string agent;
};

enum class TransferMode { Binary, Text };

// Told the bytes of a file received so far and its size when the server told it (else 0),
// each time either changes. What it throws ends the transfer and reaches getFile's caller.
using TransferProgress = std::function<void(std::uint64_t received, std::uint64_t total)>;

// "\a\\b/" is "/a/b"; "" stays "" (the current directory).
std::string normaliseFtpPath(std::string_view path);

class FtpSession {
public:
    // Logs on. Fails with libcurl's message (and the server's reply where there was one).
    static platform::Expected<FtpSession> connect(const FtpLogon& logon, const FtpLimits& limits);

    FtpSession(FtpSession&&) noexcept;
    FtpSession& operator=(FtpSession&&) noexcept;
    // Ends the session with QUIT and closes the connection.
    ~FtpSession();

    // The current directory as this session knows it: empty for the logon directory, else
    // an absolute path or one relative to the logon directory.
    const std::string& currentDirectory() const { return current_; }

    // Afterwards the current directory is the directory; false (with lastError) when the
    // server has no such directory, the current directory then staying as it was.
    bool changeDirectory(std::string_view path);
    // Fetches the file to the native local path through a StagedFile: afterwards the whole
    // file is there; after failure (false, with lastError) nothing new is at the local path,
    // and with Overwrite::Keep an existing local file fails the call and stays as it was.
    // The bounds of `kind` apply (a descriptor's deadline counts from connect). Messages name
    // the local file as `shownAs` (the caller's spelling of it).
    bool getFile(std::string_view remotePath, const std::filesystem::path& localPath, std::string_view shownAs,
                 platform::Overwrite overwrite, TransferMode mode, platform::TransferKind kind,
                 const TransferProgress& progress = {});
    const std::string& lastError() const { return lastError_; }

private:
    struct Handle;
    explicit FtpSession(std::unique_ptr<Handle> handle);
    std::string resolve(std::string_view path) const;
    bool perform(const std::string& url, bool body);

    std::unique_ptr<Handle> handle_;
    platform::TransferBounds bounds_;
    std::chrono::steady_clock::time_point connectedAt_;
    std::string current_;
    std::string lastError_;
};

}  // namespace gorsl
