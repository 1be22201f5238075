// Placeholders for the RAR and ACE archive classes until their readers land: creation works.
#include "platform/com/Error.h"
#include "velpack/frame/Factories.h"
#include <velpack/Velpack.h>

namespace velpack {
namespace {
template <class Interface, class Events>
class ArchiveFile final : public platform::com::Object<Interface, platform::com::IEventSource> {
public:
    explicit ArchiveFile(const char* progId) : progId_(progId) {}
    Ptr<IStringCollection> get_ArchiveContents() override { return contents_; }
    void putref_ArchiveContents(Ptr<IStringCollection> v) override { contents_ = std::move(v); }
    std::int32_t Extract(const std::string&, const std::string&) override {
        throw platform::com::Error::notImplemented(progId_, "Extract");
    }
    void put_Password(const std::string& v) override { password_ = v; }
    std::string get_Password() override { return password_; }
    void put_ArchiveName(const std::string& v) override { archive_ = v; }
    std::string get_ArchiveName() override { return archive_; }
    Boolean View() override { throw platform::com::Error::notImplemented(progId_, "View"); }
    std::uint32_t advise(const Guid& eventIid, Unknown* sink) override {
        return eventIid == Events::iid ? sinks_.advise(sink) : 0;
    }
    void unadvise(std::uint32_t cookie) override { sinks_.unadvise(cookie); }

private:
    const char* progId_;
    Ptr<IStringCollection> contents_;
    std::string password_, archive_;
    platform::com::EventSinks<Events> sinks_;
};
}  // namespace

platform::com::Unknown* createRARFile() {
    return static_cast<IRARFile*>(new ArchiveFile<IRARFile, IRARFileEvents>(kRARFileProgId));
}
platform::com::Unknown* createACEFile() {
    return static_cast<IACEFile*>(new ArchiveFile<IACEFile, IACEFileEvents>(kACEFileProgId));
}
}  // namespace velpack
