// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unrar/RarReader.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

#include "platform/standins/unrar/RarVolumes.h"
#include "platform/support/Utf8.h"

namespace unrar {
namespace {

constexpr std::size_t kReadBlock = 64u << 10;

// One part of the set as libarchive reads it: from `start` (where the archive begins) to the
// end of the file.
struct Volume {
    std::filesystem::path path;
    std::uint64_t start = 0;
    int fd = -1;
    std::vector<char> buffer;

    bool openFile() {
        if (fd >= 0) return true;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        if (::lseek(fd, static_cast<off_t>(start), SEEK_SET) < 0) {
            closeFile();
            return false;
        }
        return true;
    }
    void closeFile() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

int openVolume(archive* a, void* data) {
    auto* volume = static_cast<Volume*>(data);
    if (volume->openFile()) return ARCHIVE_OK;
    archive_set_error(a, errno, "cannot open the volume %s", volume->path.c_str());
    return ARCHIVE_FATAL;
}

la_ssize_t readVolume(archive* a, void* data, const void** block) {
    auto* volume = static_cast<Volume*>(data);
    if (!volume->openFile()) {
        archive_set_error(a, errno, "cannot open the volume %s", volume->path.c_str());
        return -1;
    }
    volume->buffer.resize(kReadBlock);
    for (;;) {
        ssize_t n = ::read(volume->fd, volume->buffer.data(), volume->buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) archive_set_error(a, errno, "cannot read the volume %s", volume->path.c_str());
        *block = volume->buffer.data();
        return n;
    }
}

la_int64_t seekVolume(archive*, void* data, la_int64_t offset, int whence) {
    auto* volume = static_cast<Volume*>(data);
    if (!volume->openFile()) return ARCHIVE_FATAL;
    off_t start = static_cast<off_t>(volume->start);
    off_t position =
        whence == SEEK_SET ? ::lseek(volume->fd, start + offset, SEEK_SET) : ::lseek(volume->fd, offset, whence);
    if (position < start) return ARCHIVE_FATAL;
    return position - start;
}

la_int64_t skipVolume(archive*, void* data, la_int64_t request) {
    auto* volume = static_cast<Volume*>(data);
    if (!volume->openFile() || request < 0) return 0;
    struct stat st {};
    off_t here = ::lseek(volume->fd, 0, SEEK_CUR);
    if (here < 0 || ::fstat(volume->fd, &st) != 0) return 0;
    off_t target = here + std::min<la_int64_t>(request, st.st_size > here ? st.st_size - here : 0);
    if (::lseek(volume->fd, target, SEEK_SET) < 0) return 0;
    return target - here;
}

int closeVolume(archive*, void* data) {
    static_cast<Volume*>(data)->closeFile();
    return ARCHIVE_OK;
}

int switchVolume(archive* a, void* from, void* to) {
    if (from) static_cast<Volume*>(from)->closeFile();
    return to ? openVolume(a, to) : ARCHIVE_OK;
}

// The calling thread in a UTF-8 locale for the lifetime of the object.
class Utf8Locale {
public:
    explicit Utf8Locale(locale_t utf8) : previous_(utf8 ? ::uselocale(utf8) : nullptr) {}
    ~Utf8Locale() {
        if (previous_) ::uselocale(previous_);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    locale_t previous_;
};

std::string utf8FromWide(const wchar_t* wide) {
    std::string out;
    for (; *wide; ++wide) platform::appendUtf8(static_cast<char32_t>(*wide), out);
    return out;
}

std::string entryName(archive_entry* entry) {
    if (const char* name = archive_entry_pathname(entry)) return name;
    if (const char* name = archive_entry_pathname_utf8(entry)) return name;
    if (const wchar_t* name = archive_entry_pathname_w(entry)) return utf8FromWide(name);
    return {};
}

}  // namespace

struct RarReader::State {
    std::vector<Volume> volumes;
    archive* reader = nullptr;
    locale_t utf8 = nullptr;
    bool finished = false;
    int failuresInRow = 0;
    std::string lastFailure;

    ~State() {
        if (reader) {
            Utf8Locale guard(utf8);
            archive_read_free(reader);
        }
        for (Volume& volume : volumes) volume.closeFile();
        if (utf8) ::freelocale(utf8);
    }
};

RarReader::RarReader(std::unique_ptr<State> state) : state_(std::move(state)) {}
RarReader::~RarReader() = default;

std::unique_ptr<RarReader> RarReader::open(const std::vector<std::filesystem::path>& paths, OpenFailure& failure) {
    failure = {};
    auto state = std::make_unique<State>();
    state->volumes.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) state->volumes[i].path = paths[i];
    if (state->volumes.empty()) return nullptr;

    Volume& first = state->volumes.front();
    if (!first.openFile()) {
        failure.notFound = errno == ENOENT || errno == ENOTDIR;
        return nullptr;
    }
    std::string leading(kMaxSfxStub, '\0');
    std::size_t got = 0;
    while (got < leading.size()) {
        ssize_t n = ::read(first.fd, leading.data() + got, leading.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    leading.resize(got);
    std::optional<std::uint64_t> start = findArchiveStart(leading);
    if (!start) return nullptr;
    first.start = *start;
    first.closeFile();

    state->utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    Utf8Locale guard(state->utf8);
    state->reader = archive_read_new();
    if (!state->reader) return nullptr;
    archive_read_support_format_rar(state->reader);
    archive_read_support_format_rar5(state->reader);
    archive_read_set_open_callback(state->reader, openVolume);
    archive_read_set_read_callback(state->reader, readVolume);
    archive_read_set_seek_callback(state->reader, seekVolume);
    archive_read_set_skip_callback(state->reader, skipVolume);
    archive_read_set_close_callback(state->reader, closeVolume);
    archive_read_set_switch_callback(state->reader, switchVolume);
    for (Volume& volume : state->volumes)
        if (archive_read_append_callback_data(state->reader, &volume) != ARCHIVE_OK) return nullptr;
    if (archive_read_open1(state->reader) != ARCHIVE_OK) return nullptr;
    return std::unique_ptr<RarReader>(new RarReader(std::move(state)));
}

HeaderResult RarReader::next(EntryHeader& header) {
    State& s = *state_;
    if (s.finished) return HeaderResult::End;
    Utf8Locale guard(s.utf8);
    archive_entry* entry = nullptr;
    int result = archive_read_next_header(s.reader, &entry);
    if (result == ARCHIVE_EOF) {
        s.finished = true;
        return HeaderResult::End;
    }
    std::string name = result >= ARCHIVE_WARN ? entryName(entry) : std::string();
    if (name.empty()) {
        // libarchive may return the same header error forever: a repeat ends the archive.
        std::string failure = std::to_string(result) + " " + errorText();
        bool repeated = s.failuresInRow > 0 && failure == s.lastFailure;
        s.lastFailure = std::move(failure);
        if (repeated || ++s.failuresInRow >= kMaxHeaderFailures || result == ARCHIVE_EOF) {
            s.finished = true;
            return HeaderResult::Fatal;
        }
        return HeaderResult::Failed;
    }
    s.failuresInRow = 0;
    s.lastFailure.clear();

    header = EntryHeader{};
    header.name = std::move(name);
    header.mode = archive_entry_mode(entry);
    if (const char* target = archive_entry_hardlink(entry)) {
        header.kind = EntryKind::HardLink;
        header.linkTarget = target;
    } else if (archive_entry_filetype(entry) == AE_IFDIR) {
        header.kind = EntryKind::Folder;
    } else if (archive_entry_filetype(entry) == AE_IFLNK) {
        header.kind = EntryKind::SymbolicLink;
        const char* linkTarget = archive_entry_symlink(entry);
        header.linkTarget = linkTarget ? linkTarget : "";
    }
    if (archive_entry_size_is_set(entry) && archive_entry_size(entry) >= 0)
        header.size = static_cast<std::uint64_t>(archive_entry_size(entry));
    if (archive_entry_mtime_is_set(entry)) header.modified = archive_entry_mtime(entry);
    header.encrypted = archive_entry_is_data_encrypted(entry) > 0;
    header.rar5 = archive_format(s.reader) == ARCHIVE_FORMAT_RAR_V5;
    return HeaderResult::Ok;
}

std::int64_t RarReader::read(char* buffer, std::size_t capacity) {
    Utf8Locale guard(state_->utf8);
    la_ssize_t n = archive_read_data(state_->reader, buffer, capacity);
    return n < 0 ? -1 : n;
}

bool RarReader::skip() {
    Utf8Locale guard(state_->utf8);
    return archive_read_data_skip(state_->reader) == ARCHIVE_OK;
}

std::string RarReader::errorText() const {
    const char* text = archive_error_string(state_->reader);
    return text ? text : "";
}

}  // namespace unrar
