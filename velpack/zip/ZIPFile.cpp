// SPDX-License-Identifier: Apache-2.0
// The ZIP archive class: drives the addZIP and addUNZIP functions and passes the messages
// that its hidden callback form receives on to its clients as events.
#include <velpack/Velpack.h>
#include "platform/com/Collection.h"
#include "platform/com/Conversion.h"
#include "platform/standins/addzip/AddZip.h"
#include "velpack/frame/Factories.h"
#include "velpack/zip/frmAddCallback.h"

#include <memory>

namespace velpack {
namespace {
using platform::com::Ptr;
using platform::com::toInteger;
using platform::com::True;

class ZIPFile final : public platform::com::Object<IZIPFile, platform::com::IEventSource>, private AddCallbackEvents {
public:
    ZIPFile() : callback_(std::make_unique<frmAddCallback>()) {
        callback_->bindEvents(this);
        callback_->load();
        addZIP_Initialise();
        addUNZIP_Initialise();
        addZIP_SetWindowHandle(callback_->txtCallback.handle());
        addUNZIP_SetWindowHandle(callback_->txtCallback.handle());
        addZIP_SaveStructure(azsNone);
    }

    ~ZIPFile() override {
        callback_->unload();
        callback_.reset();
        contents_.reset();
    }

    void put_CompressionLevel(azCompressionLevels v) override {
        level_ = toInteger(v);
        addZIP_SetCompressionLevel(level_);
    }
    azCompressionLevels get_CompressionLevel() override { return static_cast<azCompressionLevels>(level_); }
    void put_Recurse(Boolean v) override {
        recurse_ = v;
        addZIP_Recurse(recurse_);
    }
    Boolean get_Recurse() override { return recurse_; }
    void put_ArchiveName(const std::string& v) override {
        archive_ = v;
        addZIP_ArchiveName(archive_.c_str());
        addUNZIP_ArchiveName(archive_.c_str());
    }
    std::string get_ArchiveName() override { return archive_; }
    void put_ParentHwnd(std::int32_t v) override {
        parent_ = v;
        addZIP_SetParentWindowHandle(parent_);
    }
    std::int32_t get_ParentHwnd() override { return parent_; }

    void View() override {
        Ptr<IZIPFile> keep(this);
        contents_ = platform::com::makeStringCollection();
        addZIP_View(True);
        try {
            addZIP();
        } catch (...) {
            // A run-time error while listing is ignored; the listing holds what arrived.
        }
    }
    void Delete(const std::string& Files) override {
        Ptr<IZIPFile> keep(this);
        addZIP_Delete(True);
        if (!Files.empty()) addZIP_Include(Files.c_str());
        addZIP();
    }
    std::int32_t Compress(const std::string& IncludeFiles, const std::string& ExcludeFiles) override {
        Ptr<IZIPFile> keep(this);
        if (!IncludeFiles.empty()) addZIP_Include(IncludeFiles.c_str());
        if (!ExcludeFiles.empty()) addZIP_Exclude(ExcludeFiles.c_str());
        return addZIP();
    }
    std::int32_t Extract(const std::string& Destination, const std::string& IncludeFiles,
                         const std::string& ExcludeFiles) override {
        Ptr<IZIPFile> keep(this);
        if (!Destination.empty()) addUNZIP_ExtractTo(Destination.c_str());
        if (!IncludeFiles.empty()) addUNZIP_Include(IncludeFiles.c_str());
        if (!ExcludeFiles.empty()) addUNZIP_Exclude(ExcludeFiles.c_str());
        return addUNZIP();
    }

    azOverwriteConstants get_Overwrite() override { return static_cast<azOverwriteConstants>(overwrite_); }
    void put_Overwrite(azOverwriteConstants v) override {
        overwrite_ = toInteger(v);
        addZIP_Overwrite(overwrite_);
        addUNZIP_Overwrite(overwrite_);
    }
    Boolean get_Span() override { return span_; }
    void put_Span(Boolean v) override {
        span_ = v;
        addZIP_Span(span_);
    }
    azStructureConstants get_SaveStructure() override { return static_cast<azStructureConstants>(structure_); }
    void put_SaveStructure(azStructureConstants v) override {
        structure_ = toInteger(v);
        addZIP_SaveStructure(structure_);
    }
    Boolean get_BuildSFX() override { return sfx_; }
    void put_BuildSFX(Boolean v) override {
        sfx_ = v;
        addZIP_BuildSFX(sfx_);
    }
    Ptr<IStringCollection> get_ZipContents() override { return contents_; }
    void putref_ZipContents(Ptr<IStringCollection> v) override { contents_ = std::move(v); }
    Boolean get_RestoreStructure() override { return restore_; }
    void put_RestoreStructure(Boolean v) override {
        restore_ = v;
        addUNZIP_RestoreStructure(restore_);
    }

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
    // The callback form's events, raised again as this object's own.
    void Searching(const std::string& Pattern, const std::string& Directory) override {
        sinks_.raise(&IZIPFileEvents::Searching, Pattern, Directory);
    }
    void ZipComment(const std::string& Comment) override { sinks_.raise(&IZIPFileEvents::ZipComment, Comment); }
    void Zipping(const std::string& FileName, std::int32_t Size, std::int32_t BytesRead, std::int16_t Percentage,
                 std::int32_t FilesRemaining) override {
        sinks_.raise(&IZIPFileEvents::Zipping, FileName, Size, BytesRead, Percentage, FilesRemaining);
    }
    void Zipped(const std::string& FileName, std::int32_t Size, std::int32_t CompressedSize, std::int16_t Ratio,
                std::int32_t FilesRemaining) override {
        sinks_.raise(&IZIPFileEvents::Zipped, FileName, Size, CompressedSize, Ratio, FilesRemaining);
    }
    void Unzipping(const std::string& FileName, std::int32_t Size, std::int32_t BytesDecompressed,
                   std::int16_t Percentage) override {
        sinks_.raise(&IZIPFileEvents::Unzipping, FileName, Size, BytesDecompressed, Percentage);
    }
    void Unzipped(const std::string& FileName, std::int32_t Size, std::int32_t DecompressedSize,
                  std::int16_t Percentage) override {
        sinks_.raise(&IZIPFileEvents::Unzipped, FileName, Size, DecompressedSize, Percentage);
    }
    void Testing(const std::string& FileName, std::int32_t Size, std::int32_t BytesDecompressed,
                 std::int16_t Percentage) override {
        sinks_.raise(&IZIPFileEvents::Testing, FileName, Size, BytesDecompressed, Percentage);
    }
    void Tested(const std::string& FileName, std::int32_t Size, std::int32_t DecompressedSize,
                std::int16_t Percentage) override {
        sinks_.raise(&IZIPFileEvents::Tested, FileName, Size, DecompressedSize, Percentage);
    }
    void Deleting(const std::string& FileName) override { sinks_.raise(&IZIPFileEvents::Deleting, FileName); }
    void Deleted(const std::string& FileName) override { sinks_.raise(&IZIPFileEvents::Deleted, FileName); }
    void DiskChange(std::int16_t RequiredDisk) override { sinks_.raise(&IZIPFileEvents::DiskChange, RequiredDisk); }
    void View(const std::string& Path, const std::string& FileName, std::int32_t OriginalSize,
              std::int32_t CompressedSize, std::int16_t Ratio, const std::string& AccessDate,
              const std::string& AccessTime, const std::string& Attributes, std::int16_t CompressionMethod,
              Boolean Encrypted, const std::string& CRC, Boolean Binary, const std::string& CompressVersion,
              const std::string& DecompressVersion) override {
        sinks_.raise(&IZIPFileEvents::View, Path, FileName, OriginalSize, CompressedSize, Ratio, AccessDate, AccessTime,
                     Attributes, CompressionMethod, Encrypted, CRC, Binary, CompressVersion, DecompressVersion);
        // A client may have dropped the listing; then there is nothing to add to.
        if (contents_) contents_->Add(Path + "\\" + FileName);
    }
    void Error(const std::string& FileName, std::int32_t ErrorCode) override {
        sinks_.raise(&IZIPFileEvents::Error, FileName, ErrorCode);
    }
    void Warning(const std::string& FileName, std::int32_t WarningCode) override {
        sinks_.raise(&IZIPFileEvents::Warning, FileName, WarningCode);
    }
    void QueryOverwrite(const std::string& CurrentFilename, std::int32_t CurrentSize,
                        const std::string& CurrentDateTime, const std::string& NewFilename, std::int32_t NewSize,
                        const std::string& NewDateTime) override {
        sinks_.raise(&IZIPFileEvents::QueryOverwrite, CurrentFilename, CurrentSize, CurrentDateTime, NewFilename,
                     NewSize, NewDateTime);
    }
    void Copying() override { sinks_.raise(&IZIPFileEvents::Copying); }
    void Copied() override { sinks_.raise(&IZIPFileEvents::Copied); }

    std::unique_ptr<frmAddCallback> callback_;
    std::int16_t level_ = 0, overwrite_ = 0, structure_ = 0;
    Boolean recurse_ = 0, span_ = 0, sfx_ = 0, restore_ = 0;
    std::int32_t parent_ = 0;
    std::string archive_;
    Ptr<IStringCollection> contents_;
    platform::com::EventSinks<IZIPFileEvents> sinks_;
};
}  // namespace

platform::com::Ptr<platform::com::Unknown> createZIPFile() {
    return platform::com::Ptr<IZIPFile>(platform::com::make<ZIPFile>());
}
}  // namespace velpack
