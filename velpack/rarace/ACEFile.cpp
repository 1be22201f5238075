// ACEFile: placeholder until the UnACE functions land; creation works, the members that need
// the library raise "not implemented".
#include <velpack/Velpack.h>
#include "platform/com/Error.h"
#include "velpack/frame/Factories.h"

namespace velpack {
namespace {
class ACEFile final : public platform::com::Object<IACEFile, platform::com::IEventSource> {
public:
    Ptr<IStringCollection> get_ArchiveContents() override { return contents_; }
    void putref_ArchiveContents(Ptr<IStringCollection> v) override { contents_ = std::move(v); }
    std::int32_t Extract(const std::string&, const std::string&) override {
        throw platform::com::Error::notImplemented(kACEFileProgId, "Extract");
    }
    void put_Password(const std::string& v) override { password_ = v; }
    std::string get_Password() override { return password_; }
    void put_ArchiveName(const std::string& v) override { archive_ = v; }
    std::string get_ArchiveName() override { return archive_; }
    Boolean View() override { throw platform::com::Error::notImplemented(kACEFileProgId, "View"); }
    std::uint32_t advise(const Guid& eventIid, Unknown* sink) override {
        return eventIid == IACEFileEvents::iid ? sinks_.advise(sink) : 0;
    }
    void unadvise(std::uint32_t cookie) override { sinks_.unadvise(cookie); }

private:
    Ptr<IStringCollection> contents_;
    std::string password_, archive_;
    platform::com::EventSinks<IACEFileEvents> sinks_;
};
}  // namespace

platform::com::Unknown* createACEFile() {
    return static_cast<IACEFile*>(new ACEFile());
}
}  // namespace velpack
