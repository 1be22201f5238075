// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/AceArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/UnAce.h"

namespace unace {

namespace {

constexpr std::uint64_t kStubSearch = 512u << 10;  // how far into a self-extractor to look
constexpr std::size_t kMaxHeader = kHeaderPrefix + 0xFFFF;
constexpr std::size_t kSignatureOffset = 7;

std::size_t readAt(int fd, std::uint8_t* data, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw AceError(ACE_ERROR_DATA, std::string("cannot read the archive: ") + std::strerror(errno));
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

class SegmentSource : public ByteSource {
public:
    SegmentSource(std::vector<int> fds, std::vector<Segment> segments)
        : fds_(std::move(fds)), segments_(std::move(segments)) {}
    std::size_t read(std::uint8_t* data, std::size_t size) override {
        std::size_t done = 0;
        while (done < size && index_ < segments_.size()) {
            const Segment& s = segments_[index_];
            const std::uint64_t left = s.size - offset_;
            if (left == 0) {
                ++index_;
                offset_ = 0;
                continue;
            }
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, size - done));
            const std::size_t got = readAt(fds_[s.volume], data + done, want, s.offset + offset_);
            done += got;
            offset_ += got;
            if (got < want) {
                index_ = segments_.size();  // the volume ends inside the segment
            }
        }
        return done;
    }

private:
    std::vector<int> fds_;
    std::vector<Segment> segments_;
    std::size_t index_ = 0;
    std::uint64_t offset_ = 0;
};

bool isMainAt(int fd, std::uint64_t offset, std::vector<std::uint8_t>& buf, MainHeader& main) {
    buf.resize(kMaxHeader);
    const std::size_t got = readAt(fd, buf.data(), buf.size(), offset);
    if (got < kHeaderPrefix + 1 + kSignatureOffset || headerSizeOf(buf.data()) > got) return false;
    try {
        Header h = parseHeader(buf.data(), got);
        if (h.kind != HeaderKind::Main) return false;
        main = std::move(h.main);
        return true;
    } catch (const AceError&) {
        return false;
    }
}

}  // namespace

std::filesystem::path nextVolumeName(const std::filesystem::path& volume) {
    std::string ext = volume.extension().string();
    std::filesystem::path next = volume;
    const bool numbered = ext.size() >= 4 && (ext[1] == 'c' || ext[1] == 'C') &&
                          std::all_of(ext.begin() + 2, ext.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (numbered && ext.size() <= 8) {
        const unsigned n = static_cast<unsigned>(std::stoul(ext.substr(2))) + 1;
        std::string digits = std::to_string(n);
        if (digits.size() < 2) digits.insert(0, "0");
        next.replace_extension(std::string(".") + ext[1] + digits);
    } else {
        const bool upper = ext.size() > 1 && std::isupper(static_cast<unsigned char>(ext[1]));
        next.replace_extension(upper ? ".C00" : ".c00");
    }
    return next;
}

AceArchive::Volume AceArchive::openVolume(const std::filesystem::path& path, bool searchStub) {
    Volume v;
    v.path = path;
    v.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (v.fd < 0) throw AceError(ACE_ERROR_OPEN, "cannot open " + path.string());
    struct stat st {};
    if (::fstat(v.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(v.fd);
        throw AceError(ACE_ERROR_OPEN, "not a file: " + path.string());
    }
    v.size = static_cast<std::uint64_t>(st.st_size);
    std::vector<std::uint8_t> buf;
    try {
        if (isMainAt(v.fd, 0, buf, v.main)) return v;
        if (searchStub) {
            // A self-extractor: the signature sits 7 bytes into the MAIN header.
            std::vector<std::uint8_t> area(static_cast<std::size_t>(std::min(v.size, kStubSearch)));
            area.resize(readAt(v.fd, area.data(), area.size(), 0));
            static const char kSignature[] = "**ACE**";
            auto it = area.begin();
            while ((it = std::search(it, area.end(), kSignature, kSignature + 7)) != area.end()) {
                const auto at = static_cast<std::uint64_t>(it - area.begin());
                if (at >= kSignatureOffset && isMainAt(v.fd, at - kSignatureOffset, buf, v.main)) {
                    v.start = at - kSignatureOffset;
                    return v;
                }
                ++it;
            }
        }
    } catch (...) {
        ::close(v.fd);
        throw;
    }
    ::close(v.fd);
    throw AceError(ACE_ERROR_OPEN, "not an ACE archive: " + path.string());
}

std::unique_ptr<AceArchive> AceArchive::open(const std::filesystem::path& firstVolume) {
    std::unique_ptr<AceArchive> archive(new AceArchive);
    archive->volumes_.push_back(openVolume(firstVolume, true));
    const Volume& v = archive->volumes_.front();
    std::uint8_t prefix[kHeaderPrefix];
    readAt(v.fd, prefix, sizeof prefix, v.start);
    archive->pos_ = v.start + headerSizeOf(prefix);
    return archive;
}

AceArchive::~AceArchive() {
    for (const Volume& v : volumes_) ::close(v.fd);
}

bool AceArchive::openNextVolume() {
    if (!(mainHeader().flags & kMainMultiVolume)) return false;
    const Volume& last = volumes_.back();
    std::filesystem::path name = nextVolumeName(last.path);
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) {
        // The other case of the extension's letter.
        std::string ext = name.extension().string();
        ext[1] = ext[1] == 'c' ? 'C' : 'c';
        name.replace_extension(ext);
        if (!std::filesystem::exists(name, ec)) return false;
    }
    Volume next;
    try {
        next = openVolume(name, false);
    } catch (const AceError&) {
        return false;
    }
    if (!(next.main.flags & kMainMultiVolume) ||
        next.main.volumeNumber != static_cast<std::uint8_t>(last.main.volumeNumber + 1)) {
        ::close(next.fd);
        return false;
    }
    std::uint8_t prefix[kHeaderPrefix];
    readAt(next.fd, prefix, sizeof prefix, 0);
    volumes_.push_back(std::move(next));
    current_ = volumes_.size() - 1;
    pos_ = headerSizeOf(prefix);
    return true;
}

Header AceArchive::readHeaderAt(Volume& volume, std::uint64_t pos) {
    std::uint8_t prefix[kHeaderPrefix];
    if (readAt(volume.fd, prefix, sizeof prefix, pos) < sizeof prefix)
        throw AceError(ACE_ERROR_HEADER, "header cut short");
    std::vector<std::uint8_t> buf(headerSizeOf(prefix));
    if (readAt(volume.fd, buf.data(), buf.size(), pos) < buf.size())
        throw AceError(ACE_ERROR_HEADER, "header cut short");
    Header h = parseHeader(buf.data(), buf.size());
    if (h.kind == HeaderKind::Main) throw AceError(ACE_ERROR_HEADER, "a second main header");
    return h;
}

std::optional<Member> AceArchive::next() {
    while (!ended_) {
        if (pos_ >= volumes_[current_].size) {
            if (!openNextVolume()) {
                ended_ = true;
                break;
            }
            continue;
        }
        Volume& volume = volumes_[current_];
        if (volume.size - pos_ < kHeaderPrefix) {  // a few bytes of padding after the last header
            pos_ = volume.size;
            continue;
        }
        Header h = readHeaderAt(volume, pos_);
        const std::uint64_t dataStart = pos_ + h.headerSize;
        // Past the end means the member is cut short; that shows when it is read.
        pos_ = h.dataSize > volume.size - std::min(volume.size, dataStart) ? volume.size : dataStart + h.dataSize;
        if (h.kind != HeaderKind::File) continue;
        // The rest of a member that began in a volume before the one opened first.
        if (h.file.flags & kFileContinuedFromPrevious) continue;

        Member m;
        m.header = h.file;
        m.firstVolume = current_;
        m.segments.push_back({current_, dataStart, h.dataSize});
        m.packedSize = h.dataSize;
        std::uint16_t flags = h.file.flags;
        while (flags & kFileContinuesInNext) {
            if (pos_ < volumes_[current_].size || !openNextVolume()) {
                m.problem = ACE_ERROR_VOLUME;
                break;
            }
            Volume& nextVolume = volumes_[current_];
            Header c = readHeaderAt(nextVolume, pos_);
            const std::uint64_t start = pos_ + c.headerSize;
            pos_ =
                c.dataSize > nextVolume.size - std::min(nextVolume.size, start) ? nextVolume.size : start + c.dataSize;
            if (c.kind != HeaderKind::File || !(c.file.flags & kFileContinuedFromPrevious) ||
                c.file.name != m.header.name) {
                m.problem = ACE_ERROR_VOLUME;
                break;
            }
            m.segments.push_back({current_, start, c.dataSize});
            m.packedSize += c.dataSize;
            m.header.crc = c.file.crc;
            flags = c.file.flags;
        }
        return m;
    }
    return std::nullopt;
}

std::unique_ptr<ByteSource> AceArchive::packedData(const Member& member) const {
    std::vector<int> fds;
    fds.reserve(volumes_.size());
    for (const Volume& v : volumes_) fds.push_back(v.fd);
    return std::make_unique<SegmentSource>(std::move(fds), member.segments);
}

}  // namespace unace
