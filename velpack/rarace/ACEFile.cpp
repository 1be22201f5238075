// SPDX-License-Identifier: Apache-2.0
// ACEFile: ACE archives through the UnACE functions.
#include "platform/standins/unace/UnAce.h"
#include "velpack/frame/Factories.h"
#include "velpack/rarace/ArchiveFile.h"

namespace velpack {
namespace rarace {
namespace {

struct AceLibrary {
    static constexpr std::uint32_t kViewOpenMode = ACE_OPEN_EXTRACT;

    class Archive {
    public:
        static std::optional<Archive> open(const std::string& name, std::uint32_t mode) {
            ACEOpenArchiveData data{};
            data.openMode = mode;
            ACEHandle handle = ACEOpenArchive(&data, name.c_str());
            // The library gives no handle with a failed open; nothing to close.
            if (data.openResult != ACE_SUCCESS) return std::nullopt;
            return Archive(handle);
        }
        Archive(Archive&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
        Archive& operator=(Archive&&) = delete;
        ~Archive() {
            if (handle_) ACECloseArchive(handle_);
        }

        void setPassword(const std::string& password) { ACESetPassword(handle_, password.c_str()); }
        bool readHeader(std::string& fileNameField) {
            ACEHeaderData header{};
            if (ACEReadHeader(handle_, &header) != ACE_SUCCESS) return false;
            fileNameField.assign(header.fileName, sizeof header.fileName);
            return true;
        }
        // An entry not worked on needs no call: the next header read moves past it.
        void skip() {}
        std::int32_t extract(const std::string& target) { return ACEProcessFile(handle_, ACE_EXTRACT, target.c_str()); }

    private:
        explicit Archive(ACEHandle handle) : handle_(handle) {}
        ACEHandle handle_;
    };
};

}  // namespace
}  // namespace rarace

platform::com::Ptr<platform::com::Unknown> createACEFile() {
    return platform::com::Ptr<IACEFile>(
        platform::com::make<rarace::ArchiveFile<IACEFile, IACEFileEvents, rarace::AceLibrary>>());
}
}  // namespace velpack
