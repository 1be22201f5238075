// Gorsld: the Internet client. Creation only so far.
#include "platform/com/Error.h"
#include "platform/com/Server.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/LibraryIds.h"

namespace gorsl {
namespace {
using platform::com::Error;
constexpr const char* kSource = "Gorsld.InternetClient";
[[noreturn]] void todo(const char* member) { throw Error::notImplemented(kSource, member); }

class InternetClient final : public platform::com::Object<IInternetClient> {
public:
    Boolean Open(const std::string&, std::int32_t, const std::string&, std::int32_t) override { todo("Open"); }
    Boolean Connect(std::int32_t, const std::string&, std::int32_t, const std::string&, const std::string&,
                    std::int32_t, std::int32_t) override {
        todo("Connect");
    }
    Boolean ChangeDirectory(const std::string&) override { todo("ChangeDirectory"); }
    Boolean GetFile(const std::string&, const std::string&, Boolean, std::int32_t, std::int32_t,
                    std::int32_t) override {
        todo("GetFile");
    }
    std::string LastErrorText() override { todo("LastErrorText"); }
    void Close() override { todo("Close"); }
};

Unknown* createClient() { return new InternetClient(); }

constexpr platform::com::ClassInfo kClasses[] = {{CLSID_InternetClient, kInternetClientProgId, &createClient}};
constexpr platform::com::InterfaceInfo kInterfaces[] = {{IInternetClient::iid, "_InternetClient"}};
const platform::com::ServerInfo& serverInfo() {
    static const platform::com::ServerInfo info{{kGorsldLibraryId, "Gorsld", "Gorsld Internet library", "1.0"},
                                                kClasses, kInterfaces};
    return info;
}
}  // namespace
}  // namespace gorsl

QUILLON_COM_SERVER(gorsl::serverInfo)
