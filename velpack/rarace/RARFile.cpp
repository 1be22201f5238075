// SPDX-License-Identifier: Apache-2.0
// RARFile: RAR archives through the UnRAR functions.
#include "platform/standins/unrar/UnRAR.h"
#include "velpack/frame/Factories.h"
#include "velpack/rarace/ArchiveFile.h"

namespace velpack {
namespace rarace {
namespace {

struct RarLibrary {
    static constexpr std::uint32_t kViewOpenMode = UNRAR_OPEN_LIST;

    class Archive {
    public:
        static std::optional<Archive> open(const std::string& name, std::uint32_t mode) {
            RAROpenArchiveData data{};
            data.OpenMode = mode;
            UnrarArchive* handle = RAROpenArchive(&data, name.c_str());
            if (data.OpenResult != UNRAR_OK) {
                // The library gives no handle with a failed open; nothing to close.
                return std::nullopt;
            }
            return Archive(handle);
        }
        Archive(Archive&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
        Archive& operator=(Archive&&) = delete;
        ~Archive() {
            if (handle_) RARCloseArchive(handle_);
        }

        void setPassword(const std::string& password) { RARSetPassword(handle_, password.c_str()); }
        bool readHeader(std::string& fileNameField) {
            RARHeaderData header{};
            if (RARReadHeader(handle_, &header) != UNRAR_OK) return false;
            fileNameField.assign(header.FileName, sizeof header.FileName);
            return true;
        }
        void skip() { RARProcessFile(handle_, UNRAR_SKIP, "", ""); }
        std::int32_t extract(const std::string& target) {
            return RARProcessFile(handle_, UNRAR_EXTRACT, "", target.c_str());
        }

    private:
        explicit Archive(UnrarArchive* handle) : handle_(handle) {}
        UnrarArchive* handle_;
    };
};

}  // namespace
}  // namespace rarace

platform::com::Ptr<platform::com::Unknown> createRARFile() {
    return platform::com::Ptr<IRARFile>(
        platform::com::make<rarace::ArchiveFile<IRARFile, IRARFileEvents, rarace::RarLibrary>>());
}

}  // namespace velpack
