// Gorslb: registry, special folders, shell, file versions, restart. Readiness only so far.
#include "platform/com/Error.h"
#include "platform/com/Server.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/LibraryIds.h"

namespace gorsl {
namespace {
using platform::com::Error;
constexpr const char* kSource = "Gorslb.System";
[[noreturn]] void todo(const char* member) { throw Error::notImplemented(kSource, member); }

class System final : public platform::com::Object<IGorslb> {
public:
    Boolean Ready() override { return platform::com::True; }
    std::string RegistryRead(std::int32_t, const std::string&, const std::string&, const std::string&) override {
        todo("RegistryRead");
    }
    void RegistryWrite(std::int32_t, const std::string&, const std::string&, const std::string&,
                       std::int32_t) override {
        todo("RegistryWrite");
    }
    void CreateKey(std::int32_t, const std::string&) override { todo("CreateKey"); }
    std::string SpecialFolder(std::int32_t, std::int32_t, std::int32_t) override { todo("SpecialFolder"); }
    std::string TempFileName(const std::string&) override { todo("TempFileName"); }
    void DeleteFile(const std::string&) override { todo("DeleteFile"); }
    void ShellDelete(const std::string&, std::int32_t, std::int32_t) override { todo("ShellDelete"); }
    std::string SystemDescription() override { todo("SystemDescription"); }
    std::int32_t CompareFileVersions(const std::string&, const std::string&) override {
        todo("CompareFileVersions");
    }
    void ShellOpen(const std::string&, std::int32_t, const std::string&, const std::string&, const std::string&,
                   std::int32_t) override {
        todo("ShellOpen");
    }
    void ReplaceFile(const std::string&, const std::string&) override { todo("ReplaceFile"); }
    void CompleteRestartReplacement(const std::string&) override { todo("CompleteRestartReplacement"); }
    std::string UniqueName() override { todo("UniqueName"); }
    std::string ExpandPlaceholders(const std::string&) override { todo("ExpandPlaceholders"); }
    std::string ShortPath(const std::string&) override { todo("ShortPath"); }
    std::int32_t OwnerWindow() override { todo("OwnerWindow"); }
    Boolean RestartComputer(std::int32_t, std::int32_t, std::int32_t) override { todo("RestartComputer"); }
};

Unknown* createSystem() { return new System(); }

constexpr platform::com::ClassInfo kClasses[] = {{CLSID_GorslbSystem, kGorslbProgId, &createSystem}};
constexpr platform::com::InterfaceInfo kInterfaces[] = {{IGorslb::iid, "_System"}};
const platform::com::ServerInfo& serverInfo() {
    static const platform::com::ServerInfo info{{kGorslbLibraryId, "Gorslb", "Gorslb tool library", "1.0"},
                                                kClasses, kInterfaces};
    return info;
}
}  // namespace
}  // namespace gorsl

QUILLON_COM_SERVER(gorsl::serverInfo)
