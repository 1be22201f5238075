// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorsld/DeferredInternetClient.h"

#include <string>

#include "platform/com/Events.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/support/PluginLibrary.h"

namespace gorsl {

namespace {
using platform::com::Ptr;

// The plugin's entry point, loaded once; on failure the reason.
struct Plugin {
    InternetPluginEntry entry = nullptr;
    std::string error;
};

const Plugin& plugin() {
    static const Plugin loaded = [] {
        Plugin p;
        auto entry = platform::pluginEntry(reinterpret_cast<const void*>(&createDeferredInternetClient),
                                           kInternetPluginFile, kInternetPluginEntry);
        if (entry)
            p.entry = reinterpret_cast<InternetPluginEntry>(*entry);
        else
            p.error = "the Internet functions cannot be initialised: " + entry.error();
        return p;
    }();
    return loaded;
}

class DeferredInternetClient final : public platform::com::Object<IInternetClient, platform::com::IEventSource> {
public:
    Boolean Open(const std::string& agent, std::int32_t accessType, const std::string& proxy,
                 std::int32_t reserved) override {
        return real() ? client_->Open(agent, accessType, proxy, reserved) : platform::com::False;
    }
    Boolean Connect(std::int32_t service, const std::string& host, std::int32_t port, const std::string& userName,
                    const std::string& password, std::int32_t reserved1, std::int32_t reserved2) override {
        return real() ? client_->Connect(service, host, port, userName, password, reserved1, reserved2)
                      : platform::com::False;
    }
    Boolean ChangeDirectory(const std::string& path) override {
        return real() ? client_->ChangeDirectory(path) : platform::com::False;
    }
    Boolean GetFile(const std::string& remotePath, const std::string& localPath, Boolean failIfExists,
                    std::int32_t reserved1, std::int32_t flags, std::int32_t reserved2) override {
        return real() ? client_->GetFile(remotePath, localPath, failIfExists, reserved1, flags, reserved2)
                      : platform::com::False;
    }
    std::string LastErrorText() override { return real() ? client_->LastErrorText() : plugin().error; }
    void Close() override {
        if (real()) client_->Close();
    }
    void TrustCertificateAuthorities(const std::string& caFile) override {
        if (real()) client_->TrustCertificateAuthorities(caFile);
    }
    std::uint32_t advise(const Guid& eventIid, Unknown* sink) override {
        return real() ? events_->advise(eventIid, sink) : 0;
    }
    void unadvise(std::uint32_t cookie) override {
        if (real()) events_->unadvise(cookie);
    }

private:
    // The real client, made on the first call; false when its plugin cannot be loaded.
    bool real() {
        if (client_) return true;
        if (!plugin().entry) return false;
        auto object = Ptr<Unknown>::adopt(plugin().entry());
        client_ = object.query<IInternetClient>();
        events_ = object.query<platform::com::IEventSource>();
        return client_ && events_;
    }

    Ptr<IInternetClient> client_;
    Ptr<platform::com::IEventSource> events_;
};
}  // namespace

Ptr<platform::com::Unknown> createDeferredInternetClient() {
    return Ptr<IInternetClient>(platform::com::make<DeferredInternetClient>());
}

}  // namespace gorsl
