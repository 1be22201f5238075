// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/CentralDirectory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace addzip {

namespace {
std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t le64(const unsigned char* p) {
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

class File {
public:
    explicit File(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File() {
        if (fd_ >= 0) ::close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool ok() const { return fd_ >= 0; }
    std::uint64_t size() const {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    }
    bool read(std::uint64_t offset, std::size_t length, std::string& out) const {
        out.resize(length);
        std::size_t done = 0;
        while (done < length) {
            ssize_t n = ::pread(fd_, out.data() + done, length - done, static_cast<off_t>(offset + done));
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

constexpr std::uint64_t kMaxDirectory = 256u << 20;  // far beyond any real archive's directory
}  // namespace

std::vector<DirectoryFields> readDirectoryFields(const std::filesystem::path& archive) {
    File file(archive);
    if (!file.ok()) return {};
    std::uint64_t size = file.size();
    if (size < 22) return {};
    std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(size, 22 + 65535));
    std::string buf;
    if (!file.read(size - tail, tail, buf)) return {};
    const auto* b = reinterpret_cast<const unsigned char*>(buf.data());
    std::size_t eocd = std::string::npos;
    for (std::size_t i = tail - 22 + 1; i-- > 0;) {
        if (le32(b + i) == 0x06054b50) {
            eocd = i;
            break;
        }
    }
    if (eocd == std::string::npos) return {};
    std::uint64_t eocdPos = size - tail + eocd;
    std::uint64_t count = le16(b + eocd + 10);
    std::uint64_t cdSize = le32(b + eocd + 12);
    std::uint64_t cdOffset = le32(b + eocd + 16);
    if ((count == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF) && eocdPos >= 20) {
        std::string loc;
        if (!file.read(eocdPos - 20, 20, loc)) return {};
        const auto* l = reinterpret_cast<const unsigned char*>(loc.data());
        if (le32(l) != 0x07064b50) return {};
        std::string z;
        if (!file.read(le64(l + 8), 56, z)) return {};
        const auto* r = reinterpret_cast<const unsigned char*>(z.data());
        if (le32(r) != 0x06064b50) return {};
        count = le64(r + 32);
        cdSize = le64(r + 40);
        cdOffset = le64(r + 48);
    }
    if (cdSize > kMaxDirectory || cdSize > eocdPos || count > cdSize / 46) return {};
    std::string cd;
    if (!file.read(cdOffset, static_cast<std::size_t>(cdSize), cd) || cd.size() < 4 ||
        le32(reinterpret_cast<const unsigned char*>(cd.data())) != 0x02014b50) {
        // Data in front of the archive (a self-extractor stub) moves the directory.
        if (!file.read(eocdPos - cdSize, static_cast<std::size_t>(cdSize), cd)) return {};
    }
    const auto* c = reinterpret_cast<const unsigned char*>(cd.data());
    std::vector<DirectoryFields> out;
    out.reserve(static_cast<std::size_t>(count));
    std::size_t pos = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (pos + 46 > cd.size() || le32(c + pos) != 0x02014b50) return {};
        DirectoryFields f;
        f.madeBy = le16(c + pos + 4);
        f.needed = le16(c + pos + 6);
        f.text = (le16(c + pos + 36) & 1) != 0;
        std::size_t nameLength = le16(c + pos + 28);
        if (pos + 46 + nameLength > cd.size()) return {};
        f.rawName.assign(cd, pos + 46, nameLength);
        out.push_back(std::move(f));
        pos += 46 + static_cast<std::size_t>(le16(c + pos + 28)) + le16(c + pos + 30) + le16(c + pos + 32);
    }
    return out;
}

}  // namespace addzip
