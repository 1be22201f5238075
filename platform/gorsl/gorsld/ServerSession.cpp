// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorsld/ServerSession.h"

#include <curl/curl.h>

#include <sys/statvfs.h>

#include <cstdlib>
#include <exception>
#include <vector>

namespace gorsl {

namespace {
std::chrono::seconds secondsFromEnvironment(const char* name, std::chrono::seconds fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1) return fallback;
    return std::chrono::seconds(value);
}

// Each path component %-escaped; the separators kept.
std::string escapeComponents(CURL* curl, std::string_view path) {
    std::string out;
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t slash = path.find('/', i);
        std::string_view part = path.substr(i, slash == std::string_view::npos ? std::string_view::npos : slash - i);
        if (!part.empty()) {
            char* escaped = curl_easy_escape(curl, part.data(), static_cast<int>(part.size()));
            if (escaped) out += escaped;
            curl_free(escaped);
        }
        if (slash == std::string_view::npos) break;
        out += '/';
        i = slash + 1;
    }
    return out;
}

// The URL path for an FTP path: an absolute one starts at the server's root ("%2F"), a
// relative one at the logon directory.
std::string urlPath(CURL* curl, const std::string& path) {
    if (!path.empty() && path[0] == '/') return "%2F" + escapeComponents(curl, std::string_view(path).substr(1));
    return escapeComponents(curl, path);
}

// A transfer that ended early through the connection (lost, reset, closed before the
// announced end) rather than through a refusal of the server or one of the bounds.
bool brokeOff(CURLcode code) {
    return code == CURLE_PARTIAL_FILE || code == CURLE_RECV_ERROR || code == CURLE_SEND_ERROR ||
           code == CURLE_GOT_NOTHING;
}

// A host name or address, nothing that would make the URL name another place.
bool isHostName(const std::string& host) {
    for (char c : host) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  std::string_view(".-_:[]%").find(c) != std::string_view::npos;
        if (!ok) return false;
    }
    return !host.empty();
}

std::string hostPart(const std::string& host) {
    if (host.find(':') != std::string::npos && host.front() != '[') return "[" + host + "]";
    return host;
}

// Where a transfer's bytes go, and what stops it early: a descriptor beyond its size, an
// archive that would leave too little free space.
struct TransferSink {
    platform::StagedFile& staged;
    platform::TransferKind kind;
    const platform::TransferBounds& bounds;
    std::string folderShown;
    std::uint64_t written = 0;
    std::string refusal = {};  // why the sink stopped the transfer; empty when it did not
};

size_t writeToSink(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<TransferSink*>(user);
    const std::uint64_t bytes = size * count;
    if (sink->kind == platform::TransferKind::Descriptor && sink->written + bytes > sink->bounds.descriptorMaxBytes) {
        sink->refusal = "the file is larger than " + std::to_string(sink->bounds.descriptorMaxBytes) +
                        " bytes, more than an update descriptor may hold";
        return 0;
    }
    if (sink->kind == platform::TransferKind::Archive) {
        struct statvfs room {};
        if (::fstatvfs(sink->staged.fd(), &room) == 0) {
            const std::uint64_t free = static_cast<std::uint64_t>(room.f_bavail) * room.f_frsize;
            if (free < bytes || free - bytes < sink->bounds.minFreeBytes) {
                sink->refusal = "the file does not fit: less than " + std::to_string(sink->bounds.minFreeBytes) +
                                " bytes would be left free on the file system of " + sink->folderShown;
                return 0;
            }
        }
    }
    if (sink->staged.write({data, bytes})) return 0;
    sink->written += bytes;
    return bytes;
}

size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

// Passes libcurl's progress on when it has changed. An error of the receiver may not cross
// libcurl's C frames: it is kept, the transfer aborted, and the error thrown afterwards.
// A resumed transfer counts from where it starts (`offset`); the receiver sees the whole file.
struct ProgressRelay {
    const TransferProgress& progress;
    curl_off_t received = -1, total = -1;
    std::exception_ptr error;
    curl_off_t offset = 0;
};

int relayProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    auto* relay = static_cast<ProgressRelay*>(user);
    received += relay->offset;
    if (total > 0) total += relay->offset;
    if (received == relay->received && total == relay->total) return 0;
    relay->received = received;
    relay->total = total;
    try {
        relay->progress(static_cast<std::uint64_t>(received), static_cast<std::uint64_t>(total));
    } catch (...) {
        relay->error = std::current_exception();
        return 1;
    }
    return 0;
}

// For FTP the header callback sees every reply line of the server; the last one is kept.
// (For HTTPS it sees header lines, which never begin with a status digit.)
size_t keepReply(char* data, size_t size, size_t count, void* user) {
    auto* reply = static_cast<std::string*>(user);
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) *reply = line;
    return size * count;
}
}  // namespace

SessionLimits SessionLimits::fromEnvironment() {
    SessionLimits limits;
    limits.responseTimeout = secondsFromEnvironment("QUILLON_FTP_CONNECT_TIMEOUT", limits.responseTimeout);
    limits.bounds = platform::TransferBounds::fromEnvironment();
    return limits;
}

std::string normaliseServerPath(std::string_view path) {
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    std::string out = absolute ? "/" : "";
    std::size_t i = 0;
    while (i < path.size()) {
        std::size_t end = path.find_first_of("/\\", i);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(i, end - i);
        if (!part.empty() && part != ".") {
            if (!out.empty() && out.back() != '/') out += '/';
            out.append(part);
        }
        i = end + 1;
    }
    return out;
}

struct ServerSession::Handle {
    CURL* curl = nullptr;
    std::string base;   // "ftp://host:port/" or "https://host:port/"
    std::string reply;  // the server's last reply line
    char errorBuffer[CURL_ERROR_SIZE] = {};
    ~Handle() {
        if (curl) curl_easy_cleanup(curl);
    }
};

ServerSession::ServerSession(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
ServerSession::ServerSession(ServerSession&&) noexcept = default;
ServerSession& ServerSession::operator=(ServerSession&&) noexcept = default;
ServerSession::~ServerSession() = default;

platform::Expected<ServerSession> ServerSession::connect(const ServerLogon& logon, const SessionLimits& limits) {
    auto handle = std::make_unique<Handle>();
    handle->curl = curl_easy_init();
    if (!handle->curl) return platform::Failure{"the Internet functions cannot be initialised"};
    if (logon.host.empty()) return platform::Failure{"no host name given"};
    if (!isHostName(logon.host)) return platform::Failure{"not a host name: " + logon.host};
    CURL* curl = handle->curl;
    const bool https = logon.transport == Transport::Https;
    const char* scheme = https ? "https" : "ftp";
    handle->base = std::string(scheme) + "://" + hostPart(logon.host) + ":" + std::to_string(logon.port) + "/";

    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, handle->errorBuffer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &keepReply);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &handle->reply);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Only this transport, also where a server points elsewhere: redirects are not followed.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, scheme);
    if (https) {
        if (!logon.userName.empty()) {
            curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
            curl_easy_setopt(curl, CURLOPT_USERNAME, logon.userName.c_str());
            curl_easy_setopt(curl, CURLOPT_PASSWORD, logon.password.c_str());
        }
    } else {
        const std::string user = logon.userName.empty() ? "anonymous" : logon.userName;
        const std::string password = logon.userName.empty() && logon.password.empty() ? "quillon@" : logon.password;
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
    }
    if (logon.transport == Transport::FtpTls) {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(curl, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    }
    if (logon.transport != Transport::Ftp) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
        if (!logon.certificateAuthorities.empty()) {
            // The given authorities only: the system's store is left out.
            curl_easy_setopt(curl, CURLOPT_CAINFO, logon.certificateAuthorities.c_str());
            curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
        }
    }
    if (!logon.agent.empty()) curl_easy_setopt(curl, CURLOPT_USERAGENT, logon.agent.c_str());
    if (logon.proxy == Proxy::None) curl_easy_setopt(curl, CURLOPT_PROXY, "");
    if (logon.proxy == Proxy::Given) curl_easy_setopt(curl, CURLOPT_PROXY, logon.proxyName.c_str());
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.responseTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(limits.responseTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.bounds.minBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.bounds.lowSpeedWindow.count()));
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    // Large reads: a fast connection then costs far fewer calls and writes than 16 KiB ones.
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 512L * 1024);

    ServerSession session(std::move(handle));
    session.transport_ = logon.transport;
    session.bounds_ = limits.bounds;
    session.connectedAt_ = std::chrono::steady_clock::now();
    if (!session.perform(session.handle_->base, false)) return platform::Failure{session.lastError_};
    if (https) {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (status == 401) return platform::Failure{"the server refused the logon (HTTP 401)"};
        // From here on an HTTP error status fails the transfer instead of being its body.
        curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    }
    return session;
}

bool ServerSession::perform(const std::string& url, bool body) {
    CURL* curl = handle_->curl;
    handle_->errorBuffer[0] = '\0';
    handle_->reply.clear();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOBODY, body ? 0L : 1L);
    if (!body) {
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    }
    CURLcode code = curl_easy_perform(curl);
    lastCode_ = code;
    if (code == CURLE_OK) return true;
    lastError_ = handle_->errorBuffer[0] ? handle_->errorBuffer : curl_easy_strerror(code);
    // A refusal by the server says more in the server's own words.
    const std::string& reply = handle_->reply;
    if (!reply.empty() && (reply[0] == '4' || reply[0] == '5')) lastError_ += " (server: " + reply + ")";
    return false;
}

std::string ServerSession::resolve(std::string_view path) const {
    std::string normal = normaliseServerPath(path);
    if (!normal.empty() && normal[0] == '/') return normal;
    if (current_.empty()) return normal;
    if (normal.empty()) return current_;
    return current_ == "/" ? "/" + normal : current_ + "/" + normal;
}

std::string ServerSession::urlFor(const std::string& path) const {
    // A web server has no logon directory: every path starts at its root.
    if (transport_ == Transport::Https)
        return handle_->base + escapeComponents(handle_->curl, std::string_view(path).substr(path.starts_with('/')));
    return handle_->base + urlPath(handle_->curl, path);
}

bool ServerSession::changeDirectory(std::string_view path) {
    std::string target = resolve(path);
    if (transport_ == Transport::Https) {
        current_ = target;
        return true;
    }
    std::string url = urlFor(target);
    if (url.back() != '/') url += '/';
    if (!perform(url, false)) return false;
    current_ = target;
    return true;
}

bool ServerSession::getFile(std::string_view remotePath, const std::filesystem::path& localPath,
                            std::string_view shownAs, platform::Overwrite overwrite, TransferMode mode,
                            platform::TransferKind kind, const TransferProgress& progress) {
    const std::string shown(shownAs);
    std::string target = resolve(remotePath);
    if (target.empty() || target == "/") {
        lastError_ = "no remote file name given";
        return false;
    }
    std::error_code exists;
    if (overwrite == platform::Overwrite::Keep && std::filesystem::exists(localPath, exists)) {
        lastError_ = "The file exists: " + shown;
        return false;
    }
    const bool descriptor = kind == platform::TransferKind::Descriptor;
    // libcurl counts the deadline in whole milliseconds from its own start and may end the
    // transfer a moment before our clock reads it as passed; the failure is still the deadline.
    constexpr auto kTimerSlack = std::chrono::milliseconds(100);
    long deadlineMs = 0;
    if (descriptor) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            bounds_.descriptorDeadline - (std::chrono::steady_clock::now() - connectedAt_));
        if (left.count() <= 0) {
            lastError_ = "the update descriptor did not arrive within " +
                         std::to_string(bounds_.descriptorDeadline.count()) + " seconds of connecting";
            return false;
        }
        deadlineMs = static_cast<long>(left.count());
    }
    platform::StagedFile staged(localPath);
    if (auto error = staged.create(0666, "download")) {
        lastError_ = "cannot create " + shown + ": " + error.message();
        return false;
    }
    const std::size_t cut = shown.find_last_of("\\/");
    TransferSink sink{staged, kind, bounds_, cut == std::string::npos ? "." : shown.substr(0, cut)};
    CURL* curl = handle_->curl;
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, mode == TransferMode::Text ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &writeToSink);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    // A size the server announces beforehand is judged before a byte arrives.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(descriptor ? bounds_.descriptorMaxBytes : 0));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, deadlineMs);
    ProgressRelay relay{progress, -1, -1, nullptr};
    if (progress) {
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &relayProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &relay);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    }
    const std::string url = urlFor(target);
    bool fetched = false;
    for (int transfer = 1;; ++transfer) {
        curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(sink.written));
        relay.offset = static_cast<curl_off_t>(sink.written);
        fetched = perform(url, true);
        if (fetched || kind != platform::TransferKind::Archive || transfer == kMaxArchiveTransfers || relay.error ||
            !sink.refusal.empty() || !brokeOff(static_cast<CURLcode>(lastCode_)))
            break;
    }
    curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(0));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(0));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 0L);
    if (relay.error) std::rethrow_exception(relay.error);
    if (!fetched) {
        if (!sink.refusal.empty())
            lastError_ = "Refused " + shown + ": " + sink.refusal;
        else if (descriptor &&
                 std::chrono::steady_clock::now() - connectedAt_ + kTimerSlack >= bounds_.descriptorDeadline)
            lastError_ = "the update descriptor did not arrive within " +
                         std::to_string(bounds_.descriptorDeadline.count()) + " seconds of connecting (" + lastError_ +
                         ")";
        return false;
    }
    if (auto error = staged.commit(overwrite)) {
        lastError_ = error == std::errc::file_exists ? "The file exists: " + shown
                                                     : "cannot write " + shown + ": " + error.message();
        return false;
    }
    return true;
}

}  // namespace gorsl
