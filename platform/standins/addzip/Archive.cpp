// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/Archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/support/TemporaryNames.h"

namespace addzip {

namespace {
std::uint32_t le32(const zip_uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool extendedTimestamp(zip_t* archive, zip_uint64_t index, zip_flags_t where, std::time_t& out) {
    zip_uint16_t length = 0;
    const zip_uint8_t* data = zip_file_extra_field_get_by_id(archive, index, 0x5455, 0, &length, where);
    if (!data || length < 5 || (data[0] & 1) == 0) return false;
    out = static_cast<std::time_t>(static_cast<std::int32_t>(le32(data + 1)));
    return true;
}

bool ntfsTimestamp(zip_t* archive, zip_uint64_t index, std::time_t& out) {
    zip_uint16_t length = 0;
    const zip_uint8_t* data = zip_file_extra_field_get_by_id(archive, index, 0x000a, 0, &length, ZIP_FL_CENTRAL);
    if (!data) data = zip_file_extra_field_get_by_id(archive, index, 0x000a, 0, &length, ZIP_FL_LOCAL);
    if (!data) return false;
    // 4 reserved bytes, then tagged attributes; tag 1 holds modification, access and creation time.
    for (std::size_t pos = 4; pos + 4 <= length;) {
        unsigned tag = data[pos] | (data[pos + 1] << 8);
        unsigned size = data[pos + 2] | (data[pos + 3] << 8);
        pos += 4;
        if (pos + size > length) return false;
        if (tag == 1 && size >= 8) {
            std::uint64_t ticks = le32(data + pos) | (static_cast<std::uint64_t>(le32(data + pos + 4)) << 32);
            constexpr std::uint64_t kEpochDifference = 11644473600ULL;  // 1601-01-01 to 1970-01-01
            std::uint64_t seconds = ticks / 10000000ULL;
            if (seconds < kEpochDifference) return false;
            out = static_cast<std::time_t>(seconds - kEpochDifference);
            return true;
        }
        pos += size;
    }
    return false;
}
}  // namespace

ArchivePtr openArchive(const std::filesystem::path& native, int flags, AddZipCode& code) {
    // libzip takes an empty file for an empty archive; only a run that creates may do so.
    std::error_code ec;
    if (!(flags & ZIP_CREATE) && std::filesystem::is_regular_file(native, ec) &&
        std::filesystem::file_size(native, ec) == 0 && !ec) {
        code = AddZipCode::ArchiveUnreadable;
        return nullptr;
    }
    int error = 0;
    zip_t* archive = zip_open(native.c_str(), flags, &error);
    if (!archive) {
        code = (error == ZIP_ER_NOENT || error == ZIP_ER_OPEN) ? AddZipCode::ArchiveNotFound
                                                               : AddZipCode::ArchiveUnreadable;
        // A folder in the archive's place is not found either.
        if (std::filesystem::is_directory(native, ec)) code = AddZipCode::ArchiveNotFound;
    }
    return ArchivePtr(archive);
}

ArchiveUpdate::ArchiveUpdate(const std::filesystem::path& native, int flags, AddZipCode& code) : native_(native) {
    struct stat info {};
    const bool exists = ::lstat(native.c_str(), &info) == 0;
    for (int attempt = 0; attempt < 8 && working_.empty(); ++attempt) {
        std::filesystem::path candidate = native.parent_path() / platform::temporaryName("zip");
        if (!exists) {
            working_ = candidate;
        } else if (S_ISREG(info.st_mode) && ::link(native.c_str(), candidate.c_str()) == 0) {
            working_ = candidate;
        } else if (errno != EEXIST) {
            break;  // a link, or a file system without hard links: libzip works beside the archive itself
        }
    }
    archive_ = openArchive(working_.empty() ? native : working_, flags, code);
    if (!archive_ && !working_.empty() && exists) ::unlink(working_.c_str());
}

ArchiveUpdate::~ArchiveUpdate() {
    if (!archive_) return;
    archive_.reset();  // libzip removes its unfinished temporary file
    if (!working_.empty()) ::unlink(working_.c_str());
}

bool ArchiveUpdate::commit() {
    if (zip_close(archive_.get()) != 0) return false;
    archive_.release();
    if (working_.empty()) return true;
    struct stat info {};
    if (::lstat(working_.c_str(), &info) != 0) {
        // libzip removes an archive whose last entry was deleted; so does the archive's own name.
        ::unlink(native_.c_str());
        return true;
    }
    // Unchanged archives are not rewritten: the working name is then a second link to the
    // archive, which rename leaves in place.
    if (::rename(working_.c_str(), native_.c_str()) != 0) {
        ::unlink(working_.c_str());
        return false;
    }
    ::unlink(working_.c_str());
    return true;
}

std::time_t entryModified(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat) {
    std::time_t t = 0;
    if (extendedTimestamp(archive, index, ZIP_FL_CENTRAL, t) || extendedTimestamp(archive, index, ZIP_FL_LOCAL, t) ||
        ntfsTimestamp(archive, index, t))
        return t;
    return (stat.valid & ZIP_STAT_MTIME) ? stat.mtime : 0;
}

void setEntryModified(zip_t* archive, zip_uint64_t index, std::time_t modified) {
    auto t = static_cast<std::uint32_t>(modified);
    const zip_uint8_t data[5] = {1, static_cast<zip_uint8_t>(t), static_cast<zip_uint8_t>(t >> 8),
                                 static_cast<zip_uint8_t>(t >> 16), static_cast<zip_uint8_t>(t >> 24)};
    zip_file_extra_field_set(archive, index, 0x5455, ZIP_EXTRA_FIELD_NEW, data, sizeof data,
                             ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
}

EntryMode entryMode(zip_t* archive, zip_uint64_t index) {
    EntryMode out;
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &opsys, &attributes) != 0) return out;
    out.dosAttributes = static_cast<std::uint8_t>(attributes & 0xff);
    auto mode = static_cast<mode_t>(attributes >> 16);
    if (opsys == ZIP_OPSYS_UNIX && (mode & S_IFMT) != 0) {
        out.unixMode = true;
        out.mode = mode;
    }
    return out;
}

}  // namespace addzip
