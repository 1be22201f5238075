// Placeholder for the ZIP archive class until the addzip stand-in lands: creation works, the
// archive operations raise "not implemented yet".
#include "platform/com/Error.h"
#include "velpack/frame/Factories.h"
#include <velpack/Velpack.h>

namespace velpack {
namespace {
using platform::com::Error;

class ZIPFile final : public platform::com::Object<IZIPFile, platform::com::IEventSource> {
public:
    void put_CompressionLevel(azCompressionLevels v) override { level_ = platform::com::toInteger(v); }
    azCompressionLevels get_CompressionLevel() override { return static_cast<azCompressionLevels>(level_); }
    void put_Recurse(Boolean v) override { recurse_ = v; }
    Boolean get_Recurse() override { return recurse_; }
    void put_ArchiveName(const std::string& v) override { archive_ = v; }
    std::string get_ArchiveName() override { return archive_; }
    void put_ParentHwnd(std::int32_t v) override { parent_ = v; }
    std::int32_t get_ParentHwnd() override { return parent_; }
    void View() override { throw Error::notImplemented(kZIPFileProgId, "View"); }
    void Delete(const std::string&) override { throw Error::notImplemented(kZIPFileProgId, "Delete"); }
    std::int32_t Compress(const std::string&, const std::string&) override {
        throw Error::notImplemented(kZIPFileProgId, "Compress");
    }
    std::int32_t Extract(const std::string&, const std::string&, const std::string&) override {
        throw Error::notImplemented(kZIPFileProgId, "Extract");
    }
    azOverwriteConstants get_Overwrite() override { return static_cast<azOverwriteConstants>(overwrite_); }
    void put_Overwrite(azOverwriteConstants v) override { overwrite_ = platform::com::toInteger(v); }
    Boolean get_Span() override { return span_; }
    void put_Span(Boolean v) override { span_ = v; }
    azStructureConstants get_SaveStructure() override { return static_cast<azStructureConstants>(structure_); }
    void put_SaveStructure(azStructureConstants v) override { structure_ = platform::com::toInteger(v); }
    Boolean get_BuildSFX() override { return sfx_; }
    void put_BuildSFX(Boolean v) override { sfx_ = v; }
    Ptr<IStringCollection> get_ZipContents() override { return contents_; }
    void putref_ZipContents(Ptr<IStringCollection> v) override { contents_ = std::move(v); }
    Boolean get_RestoreStructure() override { return restore_; }
    void put_RestoreStructure(Boolean v) override { restore_ = v; }

    std::uint32_t advise(const Guid& eventIid, Unknown* sink) override {
        if (eventIid != IZIPFileEvents::iid && eventIid != IID_ZIPFileEvents_v1 && eventIid != IID_ZIPFileEvents_v2)
            return 0;
        return sinks_.advise(sink);
    }
    void unadvise(std::uint32_t cookie) override { sinks_.unadvise(cookie); }

protected:
    void* queryExtra(const Guid& id) noexcept override {
        if (id == IID_ZIPFile_v1 || id == IID_ZIPFile_v2) return static_cast<IZIPFile*>(this);
        return nullptr;
    }

private:
    std::int16_t level_ = 0, overwrite_ = 0, structure_ = 0;
    Boolean recurse_ = 0, span_ = 0, sfx_ = 0, restore_ = 0;
    std::int32_t parent_ = 0;
    std::string archive_;
    Ptr<IStringCollection> contents_;
    platform::com::EventSinks<IZIPFileEvents> sinks_;
};
}  // namespace

platform::com::Unknown* createZIPFile() { return static_cast<IZIPFile*>(new ZIPFile()); }
}  // namespace velpack
