// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorsld/InternetClient.h"

#include <curl/curl.h>

#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/com/Events.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/gorsld/ServerSession.h"
#include "platform/prefix/Prefix.h"

namespace gorsl {

namespace {
using platform::com::toBoolean;

// Access types of the host's Internet functions.
constexpr std::int32_t kAccessPreconfig = 0;
constexpr std::int32_t kAccessDirect = 1;
constexpr std::int32_t kAccessProxy = 3;
// Transfer flag for text (FTP_TRANSFER_TYPE_ASCII); everything else is binary.
constexpr std::int32_t kTransferText = 1;

bool initialiseCurl() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

class InternetClient final : public platform::com::Object<IInternetClient, platform::com::IEventSource> {
public:
    Boolean Open(const std::string& agent, std::int32_t accessType, const std::string& proxy, std::int32_t) override {
        if (accessType != kAccessPreconfig && accessType != kAccessDirect && accessType != kAccessProxy)
            return fail("unknown access type " + std::to_string(accessType));
        if (!initialiseCurl()) return fail("the Internet functions cannot be initialised");
        agent_ = agent;
        proxy_ = accessType == kAccessDirect  ? Proxy::None
                 : accessType == kAccessProxy ? Proxy::Given
                                              : Proxy::FromEnvironment;
        proxyName_ = proxy;
        open_ = true;
        return platform::com::True;
    }

    Boolean Connect(std::int32_t service, const std::string& host, std::int32_t port, const std::string& userName,
                    const std::string& password, std::int32_t flags, std::int32_t) override {
        if (!open_) return fail("the Internet access is not open");
        const bool secure = (flags & kConnectSecure) != 0;
        if (service != kServiceFtp && !(service == kServiceHttp && secure))
            return fail("service " + std::to_string(service) + " is not supported, only FTP (1) and HTTPS (3, secure)");
        if (port < 0 || port > 65535) return fail("port " + std::to_string(port) + " is out of range");
        session_.reset();
        const Transport transport = service == kServiceHttp ? Transport::Https
                                    : secure                ? Transport::FtpTls
                                                            : Transport::Ftp;
        const int defaultPort = transport == Transport::Https ? kDefaultHttpsPort : kDefaultFtpPort;
        ServerLogon logon{transport, host,   port == 0 ? defaultPort : port, userName, password, proxy_, proxyName_,
                          agent_,    caFile_};
        auto session = ServerSession::connect(logon, SessionLimits::fromEnvironment());
        if (!session) return fail(session.error());
        session_.emplace(std::move(session).value());
        return platform::com::True;
    }

    Boolean ChangeDirectory(const std::string& path) override {
        if (!session_) return fail("not connected");
        return session_->changeDirectory(path) ? platform::com::True : fail(session_->lastError());
    }

    Boolean GetFile(const std::string& remotePath, const std::string& localPath, Boolean failIfExists, std::int32_t,
                    std::int32_t flags, std::int32_t) override {
        if (!session_) return fail("not connected");
        if (localPath.empty()) return fail("no local file name given");
        TransferProgress progress;
        if (!sinks_.empty())
            progress = [this](std::uint64_t received, std::uint64_t total) {
                sinks_.raise(&IInternetClientEvents::Progress, static_cast<std::int64_t>(received),
                             static_cast<std::int64_t>(total));
            };
        bool fetched = session_->getFile(
            remotePath, platform::prefix::toNative(localPath), localPath,
            failIfExists ? platform::Overwrite::Keep : platform::Overwrite::Replace,
            (flags & 3) == kTransferText ? TransferMode::Text : TransferMode::Binary,
            (flags & kTransferDescriptor) ? platform::TransferKind::Descriptor : platform::TransferKind::Archive,
            progress);
        return fetched ? platform::com::True : fail(session_->lastError());
    }

    std::string LastErrorText() override { return lastError_; }

    void Close() override { session_.reset(); }

    void TrustCertificateAuthorities(const std::string& caFile) override {
        caFile_ = caFile.empty() ? std::filesystem::path() : platform::prefix::toNative(caFile);
    }

    std::uint32_t advise(const Guid& eventIid, Unknown* sink) override {
        return eventIid == IInternetClientEvents::iid ? sinks_.advise(sink) : 0;
    }
    void unadvise(std::uint32_t cookie) override { sinks_.unadvise(cookie); }

private:
    Boolean fail(std::string message) {
        lastError_ = std::move(message);
        return platform::com::False;
    }

    bool open_ = false;
    std::string agent_;
    Proxy proxy_ = Proxy::None;
    std::string proxyName_;
    std::filesystem::path caFile_;  // empty: the system's store
    std::optional<ServerSession> session_;
    std::string lastError_;
    platform::com::EventSinks<IInternetClientEvents> sinks_;
};
}  // namespace

platform::com::Ptr<platform::com::Unknown> createInternetClient() {
    return platform::com::Ptr<IInternetClient>(platform::com::make<InternetClient>());
}

}  // namespace gorsl
