// Gorsla: the text, path and file operations. Readiness only so far.
#include "platform/com/Error.h"
#include "platform/com/Server.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/LibraryIds.h"

namespace gorsl {
namespace {
using platform::com::Error;
constexpr const char* kSource = "Gorsla.Tools";
[[noreturn]] void todo(const char* member) { throw Error::notImplemented(kSource, member); }

class Tools final : public platform::com::Object<IGorsla> {
public:
    Boolean Ready() override { return platform::com::True; }
    void AnnounceProgram(const std::string&, const std::string&, const std::string&, const std::string&) override {
        todo("AnnounceProgram");
    }
    std::string FirstWord(const std::string&) override { todo("FirstWord"); }
    std::string RestAfterFirstWord(const std::string&) override { todo("RestAfterFirstWord"); }
    std::string DropLeading(const std::string&, std::int32_t) override { todo("DropLeading"); }
    std::string DropTrailing(const std::string&, std::int32_t) override { todo("DropTrailing"); }
    Boolean FileExists(const std::string&) override { todo("FileExists"); }
    std::string FileNamePart(const std::string&, std::int32_t) override { todo("FileNamePart"); }
    std::string FolderPart(const std::string&) override { todo("FolderPart"); }
    void CreateFolder(const std::string&) override { todo("CreateFolder"); }
    void CopyFile(const std::string&, const std::string&, Boolean) override { todo("CopyFile"); }
    void WriteTextFile(const std::string&, const std::string&) override { todo("WriteTextFile"); }
    Boolean TruthValue(Boolean) override { todo("TruthValue"); }
    void PrepareOutputFile(const std::string&) override { todo("PrepareOutputFile"); }
    Ptr<IStringCollection> SplitText(const std::string&, const std::string&, std::int32_t) override {
        todo("SplitText");
    }
    std::string FixedTextToString(const std::string&) override { todo("FixedTextToString"); }
    Boolean CollectionContains(IStringCollection*, const std::string&) override { todo("CollectionContains"); }
};

Unknown* createTools() { return new Tools(); }

constexpr platform::com::ClassInfo kClasses[] = {{CLSID_GorslaTools, kGorslaProgId, &createTools}};
constexpr platform::com::InterfaceInfo kInterfaces[] = {{IGorsla::iid, "_Tools"}};
const platform::com::ServerInfo& serverInfo() {
    static const platform::com::ServerInfo info{{kGorslaLibraryId, "Gorsla", "Gorsla tool library", "1.0"},
                                                kClasses, kInterfaces};
    return info;
}
}  // namespace
}  // namespace gorsl

QUILLON_COM_SERVER(gorsl::serverInfo)
