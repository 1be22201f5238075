#include "platform/standins/addzip/UnzipRunner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/standins/addzip/Archive.h"
#include "platform/standins/addzip/EntryNames.h"
#include "platform/standins/addzip/Messages.h"
#include "platform/standins/addzip/Patterns.h"

namespace addzip {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kProgressStep = 4u << 20;
constexpr std::size_t kBufferSize = 256u << 10;
constexpr zip_uint64_t kMaxLinkTarget = 4096;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = std::exchange(o.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    explicit operator bool() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

struct FileCloser {
    void operator()(zip_file_t* f) const noexcept { zip_fclose(f); }
};
using EntryFile = std::unique_ptr<zip_file_t, FileCloser>;

// An entry's failure: the code for its Error message.
struct Failed {
    AddZipCode code;
};

bool writeAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string dateTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

class Extraction {
public:
    Extraction(const UnzipSettings& settings, MessageWriter& writer, zip_t* archive, Fd root)
        : settings_(settings),
          writer_(writer),
          archive_(archive),
          root_(std::move(root)),
          include_(settings.include),
          exclude_(settings.exclude),
          buffer_(kBufferSize) {
        mask_ = ::umask(0);
        ::umask(mask_);
    }

    std::size_t run() {
        zip_int64_t count = zip_get_num_entries(archive_, 0);
        for (zip_int64_t i = 0; i < count; ++i) entry(static_cast<zip_uint64_t>(i));
        if (selected_ == 0) writer_.warning(settings_.archiveName, WarningCode::NothingSelected);
        return extracted_;
    }

private:
    void entry(zip_uint64_t index) {
        zip_stat_t st;
        if (zip_stat_index(archive_, index, ZIP_FL_ENC_GUESS, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            writer_.error("", AddZipCode::DamagedEntry);
            return;
        }
        std::string name = st.name;
        std::string matchName = name;
        while (!matchName.empty() && (matchName.back() == '/' || matchName.back() == '\\')) matchName.pop_back();
        if (!isSelected(include_, exclude_, matchName)) return;
        ++selected_;
        try {
            extract(index, st, name);
        } catch (const Failed& failed) {
            writer_.error(name, failed.code);
        }
    }

    void extract(zip_uint64_t index, const zip_stat_t& st, const std::string& name) {
        CheckedName checked = checkEntryName(name);
        if (checked.problem != NameProblem::None) throw Failed{AddZipCode::UnsafeName};
        EntryMode mode = entryMode(archive_, index);
        bool link = mode.unixMode && S_ISLNK(mode.mode);
        bool directory = checked.directory || (mode.unixMode && S_ISDIR(mode.mode)) || (mode.dosAttributes & 0x10);
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            throw Failed{AddZipCode::Encrypted};

        std::vector<std::string> components = checked.components;
        if (!settings_.restoreStructure) {
            if (directory) return;  // folders are not made when files go flat into the destination
            components = {components.back()};
        }
        if (directory) {
            makeFolder(components);
            return;
        }
        const std::string& leaf = components.back();
        int parent = openParent(components);
        struct stat existing {};
        if (::fstatat(parent, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(existing.st_mode)) throw Failed{AddZipCode::WriteFailed};
            if (!mayReplace(name, existing, st)) return;
        }
        if (link)
            extractLink(index, st, name, components, parent);
        else
            extractFile(index, st, name, parent, leaf, mode);
        ++extracted_;
    }

    bool mayReplace(const std::string& name, const struct stat& existing, const zip_stat_t& st) {
        if (settings_.overwrite == Overwrite::All) return true;
        if (settings_.overwrite == Overwrite::Query) {
            // The question goes out; nobody answers it, so the existing file is kept.
            writer_.send(MessageCode::QueryOverwrite,
                         {name, number(existing.st_size), dateTime(existing.st_mtime), name,
                          number(static_cast<std::int64_t>(st.size)), dateTime(st.mtime)});
        }
        writer_.warning(name, WarningCode::KeptExisting);
        return false;
    }

    // The folder that holds components.back(), made where missing, reached without following
    // any link. The last folder stays open for the next entry in it.
    int openParent(const std::vector<std::string>& components) {
        std::vector<std::string> folders(components.begin(), components.end() - 1);
        if (parentFd_ && folders == parentPath_) return parentFd_.get();
        parentFd_.reset();
        Fd current(::dup(root_.get()));
        for (const std::string& folder : folders) current = enterFolder(current.get(), folder);
        parentFd_ = std::move(current);
        parentPath_ = std::move(folders);
        return parentFd_.get();
    }

    Fd enterFolder(int at, const std::string& folder) {
        Fd next(::openat(at, folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next && errno == ENOENT) {
            if (::mkdirat(at, folder.c_str(), 0777) != 0 && errno != EEXIST) throw Failed{AddZipCode::WriteFailed};
            next = Fd(::openat(at, folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (!next) {
            struct stat st {};
            bool isLink = ::fstatat(at, folder.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
            throw Failed{isLink ? AddZipCode::ThroughLink : AddZipCode::WriteFailed};
        }
        return next;
    }

    void makeFolder(const std::vector<std::string>& components) {
        Fd current(::dup(root_.get()));
        for (const std::string& folder : components) current = enterFolder(current.get(), folder);
    }

    Fd createTemporary(int parent, std::string& tempName) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            tempName = ".addunzip-" + std::to_string(::getpid()) + "-" + std::to_string(++tempCounter_);
            Fd fd(::openat(parent, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (fd || errno != EEXIST) return fd;
        }
        return Fd();
    }

    void checkRoom(int parent, std::uint64_t size) {
        struct statvfs vfs {};
        if (::fstatvfs(parent, &vfs) == 0 &&
            static_cast<long double>(vfs.f_bavail) * vfs.f_frsize < static_cast<long double>(size))
            throw Failed{AddZipCode::WriteFailed};
    }

    EntryFile openEntry(zip_uint64_t index) {
        EntryFile file(zip_fopen_index(archive_, index, 0));
        if (!file) {
            int error = zip_error_code_zip(zip_get_error(archive_));
            zip_error_clear(archive_);
            throw Failed{error == ZIP_ER_COMPNOTSUPP                               ? AddZipCode::UnsupportedMethod
                         : error == ZIP_ER_ENCRNOTSUPP || error == ZIP_ER_NOPASSWD ? AddZipCode::Encrypted
                                                                                   : AddZipCode::DamagedEntry};
        }
        return file;
    }

    void sendProgress(MessageCode code, const std::string& name, std::uint64_t size, std::uint64_t done) {
        writer_.send(code, {"", name, number(static_cast<std::int64_t>(size)), number(static_cast<std::int64_t>(done)),
                            number(percentDone(done, size))});
    }

    void extractFile(zip_uint64_t index, const zip_stat_t& st, const std::string& name, int parent,
                     const std::string& leaf, const EntryMode& mode) {
        std::uint64_t size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        checkRoom(parent, size);
        EntryFile file = openEntry(index);
        std::string tempName;
        Fd out = createTemporary(parent, tempName);
        if (!out) throw Failed{AddZipCode::WriteFailed};
        // Whatever happens from here on, a failed entry leaves no file behind.
        struct TempGuard {
            int parent;
            const std::string& name;
            bool keep = false;
            ~TempGuard() {
                if (!keep) ::unlinkat(parent, name.c_str(), 0);
            }
        } guard{parent, tempName};

        sendProgress(MessageCode::Unzipping, name, size, 0);
        std::uint64_t written = 0, reported = 0;
        for (;;) {
            zip_int64_t n = zip_fread(file.get(), buffer_.data(), buffer_.size());
            if (n < 0) throw Failed{AddZipCode::DamagedEntry};
            if (n == 0) break;
            written += static_cast<std::uint64_t>(n);
            if (written > size) throw Failed{AddZipCode::DamagedEntry};  // more data than the entry declares
            if (!writeAll(out.get(), buffer_.data(), static_cast<std::size_t>(n)))
                throw Failed{AddZipCode::WriteFailed};
            if (written - reported >= kProgressStep) {
                reported = written;
                sendProgress(MessageCode::Unzipping, name, size, written);
            }
        }
        if (written != size) throw Failed{AddZipCode::DamagedEntry};
        file.reset();
        mode_t permissions = mode.unixMode ? (mode.mode & 0777) : 0666;
        if (!mode.unixMode && (mode.dosAttributes & 0x01)) permissions &= ~0222;
        ::fchmod(out.get(), permissions & ~mask_);
        std::time_t modified = entryModified(archive_, index, st);
        const struct timespec times[2] = {{0, UTIME_NOW}, {modified, 0}};
        ::futimens(out.get(), times);
        if (::close(out.release()) != 0) throw Failed{AddZipCode::WriteFailed};
        if (::renameat(parent, tempName.c_str(), parent, leaf.c_str()) != 0) throw Failed{AddZipCode::WriteFailed};
        guard.keep = true;
        sendProgress(MessageCode::Unzipped, name, size, written);
    }

    void extractLink(zip_uint64_t index, const zip_stat_t& st, const std::string& name,
                     const std::vector<std::string>& components, int parent) {
        if (!(st.valid & ZIP_STAT_SIZE) || st.size == 0 || st.size > kMaxLinkTarget)
            throw Failed{AddZipCode::UnsafeLink};
        EntryFile file = openEntry(index);
        std::string target(static_cast<std::size_t>(st.size), '\0');
        zip_int64_t n = zip_fread(file.get(), target.data(), target.size());
        if (n != static_cast<zip_int64_t>(target.size())) throw Failed{AddZipCode::DamagedEntry};
        if (target.find('\0') != std::string::npos || !linkStaysInside(components, target))
            throw Failed{AddZipCode::UnsafeLink};
        sendProgress(MessageCode::Unzipping, name, st.size, 0);
        std::string tempName;
        for (int attempt = 0;; ++attempt) {
            tempName = ".addunzip-" + std::to_string(::getpid()) + "-" + std::to_string(++tempCounter_);
            if (::symlinkat(target.c_str(), parent, tempName.c_str()) == 0) break;
            if (errno != EEXIST || attempt == 100) throw Failed{AddZipCode::WriteFailed};
        }
        if (::renameat(parent, tempName.c_str(), parent, components.back().c_str()) != 0) {
            ::unlinkat(parent, tempName.c_str(), 0);
            throw Failed{AddZipCode::WriteFailed};
        }
        sendProgress(MessageCode::Unzipped, name, st.size, st.size);
    }

    const UnzipSettings& settings_;
    MessageWriter& writer_;
    zip_t* archive_;
    Fd root_;
    PatternList include_;
    PatternList exclude_;
    std::vector<char> buffer_;
    mode_t mask_ = 022;
    Fd parentFd_;
    std::vector<std::string> parentPath_;
    unsigned long tempCounter_ = 0;
    std::size_t selected_ = 0;
    std::size_t extracted_ = 0;
};

}  // namespace

std::int32_t runUnzip(const UnzipSettings& settings) {
    MessageWriter writer(settings.window, "addUNZIP");
    if (settings.archiveName.empty()) {
        writer.error("", AddZipCode::NoArchiveName);
        return -writer.firstError();
    }
    AddZipCode code{};
    ArchivePtr archive = openArchive(platform::prefix::toNative(settings.archiveName), ZIP_RDONLY, code);
    if (!archive) {
        writer.error(settings.archiveName, code);
        return -writer.firstError();
    }
    std::string destination = settings.destination.empty() ? "." : settings.destination;
    fs::path native = platform::prefix::toNative(destination);
    std::error_code ec;
    fs::create_directories(native, ec);
    Fd root(::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root) {
        writer.error(destination, AddZipCode::DestinationUnusable);
        return -writer.firstError();
    }
    Extraction extraction(settings, writer, archive.get(), std::move(root));
    std::size_t extracted = extraction.run();
    if (writer.firstError() != 0) return -writer.firstError();
    return static_cast<std::int32_t>(std::min<std::size_t>(extracted, 0x7fffffff));
}

}  // namespace addzip
