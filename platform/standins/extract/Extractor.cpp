// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/extract/Extractor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <unordered_map>
#include <utility>

#include "platform/standins/extract/EntryNames.h"
#include "platform/support/StagedFile.h"
#include "platform/support/TemporaryNames.h"
#include "platform/support/TextCase.h"

namespace extract {

namespace {

constexpr std::size_t kBufferSize = 256u << 10;
constexpr int kTemporaryAttempts = 100;
// In the names of staged files and links until they are renamed into place.
constexpr std::string_view kTemporaryPurpose = "unzip";

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

// Ends one entry with a Failed grade; caught in extract().
struct Failed {
    Problem problem;
};

std::string joined(const std::vector<std::string>& components, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out += '/';
        out += components[i];
    }
    return out;
}

std::string joined(const std::vector<std::string>& components) {
    return joined(components, components.size());
}

bool isLinkAt(int root, const std::string& path) {
    struct stat st {};
    return ::fstatat(root, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

class Extractor::Run {
public:
    Run(Fd root, const Options& options) : root_(std::move(root)), options_(options), buffer_(kBufferSize) {
        mask_ = ::umask(0);
        ::umask(mask_);
    }

    EntryResult extract(const Entry& entry, EntryData& data) {
        try {
            return place(entry, data);
        } catch (const Failed& failed) {
            return {Grade::Failed, failed.problem, false, std::nullopt};
        }
    }

    std::vector<LateResult> finish() {
        parentFd_.reset();
        ::syncfs(root_.get());
        std::vector<LateResult> late;
        // Removing a link can only leave others dangling, never lead them outside: one pass.
        for (MadeLink& link : links_) {
            if (leadsInside(link.components, link.target)) continue;
            std::string path = joined(link.components);
            char text[Extractor::kMaxLinkTarget + 1];
            ssize_t n = ::readlinkat(root_.get(), path.c_str(), text, sizeof text);
            if (n >= 0 && std::string_view(text, static_cast<std::size_t>(n)) == link.target)
                ::unlinkat(root_.get(), path.c_str(), 0);
            madeLinks_.erase(path);
            late.push_back({link.name, {Grade::Failed, Problem::UnsafeLink, false, std::nullopt}});
        }
        links_.clear();
        return late;
    }

private:
    struct Owner {
        EntryKind kind;
        std::string spelling;  // the component as first written
    };
    struct MadeLink {
        std::vector<std::string> components;
        std::string target;
        std::string name;
    };

    EntryResult place(const Entry& entry, EntryData& data) {
        if (!entry.rawName.empty() && hasControlCharacter(entry.rawName)) throw Failed{Problem::UnsafeName};
        CheckedName checked = checkEntryName(entry.name);
        if (checked.problem != NameProblem::None) throw Failed{Problem::UnsafeName};
        if (entry.unreadable != Problem::None) throw Failed{entry.unreadable};
        bool folder = checked.directory || entry.kind == EntryKind::Folder;
        std::vector<std::string> components = std::move(checked.components);
        if (options_.flatten) {
            if (folder) return {};  // folders are not made when files go flat into the destination
            components = {components.back()};
        }
        std::vector<std::string> keys = respell(components);
        auto owner = owners_.find(keys.back());
        if (owner != owners_.end()) {
            if (folder && owner->second.kind == EntryKind::Folder) return {};
            return {Grade::Warn, Problem::Duplicate, false, std::nullopt};
        }
        if (folder) {
            makeFolder(components);
            own(components, keys, EntryKind::Folder);
            return {};
        }
        const std::string& leaf = components.back();
        int parent = openParent(components);
        struct stat existing {};
        if (::fstatat(parent, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(existing.st_mode)) throw Failed{Problem::NotAFolder};
            if (options_.overwrite == Overwrite::Keep) {
                own(components, keys, entry.kind);
                return {Grade::Warn, Problem::KeptExisting, false,
                        ExistingFile{static_cast<std::uint64_t>(existing.st_size), existing.st_mtime}};
            }
        }
        if (entry.kind == EntryKind::Link)
            makeLink(entry, data, components, parent);
        else
            writeFile(entry, data, parent, leaf);
        own(components, keys, entry.kind);
        return {Grade::Ok, Problem::None, true, std::nullopt};
    }

    // Folders this run made are reached under their first spelling; returns the folded key of
    // each prefix. A prefix that this run wrote as a file or link cannot be a folder as well.
    std::vector<std::string> respell(std::vector<std::string>& components) {
        std::vector<std::string> keys;
        std::string key;
        for (std::size_t i = 0; i < components.size(); ++i) {
            if (i > 0) key += '/';
            key += platform::foldCase(components[i]);
            keys.push_back(key);
            if (i + 1 == components.size()) break;
            auto owner = owners_.find(key);
            if (owner == owners_.end()) continue;
            if (owner->second.kind == EntryKind::Link) throw Failed{Problem::ThroughLink};
            if (owner->second.kind == EntryKind::File) throw Failed{Problem::NotAFolder};
            components[i] = owner->second.spelling;
        }
        return keys;
    }

    void own(const std::vector<std::string>& components, const std::vector<std::string>& keys, EntryKind kind) {
        for (std::size_t i = 0; i < keys.size(); ++i)
            owners_.try_emplace(keys[i], Owner{i + 1 == keys.size() ? kind : EntryKind::Folder, components[i]});
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
            // Never writable by others, whatever the umask; a stricter umask still applies.
            if (::mkdirat(at, folder.c_str(), 0755) != 0 && errno != EEXIST) throw Failed{Problem::WriteFailed};
            next = Fd(::openat(at, folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (!next) {
            struct stat st {};
            if (::fstatat(at, folder.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) throw Failed{Problem::WriteFailed};
            throw Failed{S_ISLNK(st.st_mode)   ? Problem::ThroughLink
                         : S_ISDIR(st.st_mode) ? Problem::WriteFailed
                                               : Problem::NotAFolder};
        }
        return next;
    }

    void makeFolder(const std::vector<std::string>& components) {
        Fd current(::dup(root_.get()));
        for (const std::string& folder : components) current = enterFolder(current.get(), folder);
    }

    // A link leads inside when its text stays inside and, walked through the destination as it
    // is now, it passes through no link and ends at no link but one this run made (which is
    // judged itself).
    bool leadsInside(const std::vector<std::string>& linkComponents, std::string_view target) const {
        if (!linkStaysInside(linkComponents, target)) return false;
        std::vector<std::string> parts;
        for (std::size_t start = 0; start <= target.size();) {
            std::size_t slash = target.find('/', start);
            if (slash == std::string_view::npos) slash = target.size();
            std::string_view part = target.substr(start, slash - start);
            if (!part.empty() && part != ".") parts.emplace_back(part);
            start = slash + 1;
        }
        std::vector<std::string> at(linkComponents.begin(), linkComponents.end() - 1);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i] == "..") {
                at.pop_back();  // the text check keeps this inside
                continue;
            }
            at.push_back(parts[i]);
            std::string path = joined(at);
            if (!isLinkAt(root_.get(), path)) continue;
            if (i + 1 < parts.size()) return false;
            return madeLinks_.contains(path);
        }
        return true;
    }

    // A temporary in `parent` that nothing else uses, made by `make` (false with EEXIST: try
    // another name).
    template <typename Make>
    std::string temporaryName(Make make) {
        for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
            std::string name = platform::temporaryName(kTemporaryPurpose);
            if (make(name)) return name;
            if (errno != EEXIST) break;
        }
        throw Failed{Problem::WriteFailed};
    }

    void checkRoom(int parent, std::uint64_t size) {
        struct statvfs vfs {};
        if (::fstatvfs(parent, &vfs) == 0 &&
            static_cast<long double>(vfs.f_bavail) * vfs.f_frsize < static_cast<long double>(size))
            throw Failed{Problem::WriteFailed};
    }

    void writeFile(const Entry& entry, EntryData& data, int parent, const std::string& leaf) {
        checkRoom(parent, entry.size);
        if (Problem p = data.open(); p != Problem::None) throw Failed{p};
        // Whatever happens from here on, a failed entry leaves no file behind.
        platform::StagedFile staged(parent, leaf);
        if (staged.create(0600, kTemporaryPurpose)) throw Failed{Problem::WriteFailed};
        data.started(entry.size);
        std::uint64_t written = 0, reported = 0;
        for (;;) {
            std::int64_t n = data.read(buffer_.data(), buffer_.size());
            if (n < 0) throw Failed{Problem::DamagedEntry};
            if (n == 0) break;
            written += static_cast<std::uint64_t>(n);
            if (written > entry.size) throw Failed{Problem::DamagedEntry};  // more data than declared
            if (staged.write(std::string_view(buffer_.data(), static_cast<std::size_t>(n))))
                throw Failed{Problem::WriteFailed};
            if (written - reported >= options_.progressStep) {
                reported = written;
                data.advanced(written);
            }
        }
        if (written != entry.size) throw Failed{Problem::DamagedEntry};
        ::fchmod(staged.fd(), entry.permissions & 0777 & ~mask_);
        if (entry.modified) {
            const struct timespec times[2] = {{0, UTIME_NOW}, {*entry.modified, 0}};
            ::futimens(staged.fd(), times);
        }
        // A link at the name (one planted before the run) is replaced by the file, not followed.
        struct stat existing {};
        if (::fstatat(parent, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(existing.st_mode))
            ::unlinkat(parent, leaf.c_str(), 0);
        // New files reach the disk with one sync of the whole run in finish().
        if (staged.commit(platform::Overwrite::Replace, platform::Durability::ReplacementsOnly))
            throw Failed{Problem::WriteFailed};
        data.finished(written);
    }

    void makeLink(const Entry& entry, EntryData& data, const std::vector<std::string>& components, int parent) {
        if (entry.size == 0 || entry.size > Extractor::kMaxLinkTarget) throw Failed{Problem::UnsafeLink};
        if (Problem p = data.open(); p != Problem::None) throw Failed{p};
        std::string target(static_cast<std::size_t>(entry.size), '\0');
        std::size_t got = 0;
        while (got < target.size()) {
            std::int64_t n = data.read(target.data() + got, target.size() - got);
            if (n <= 0) throw Failed{Problem::DamagedEntry};
            got += static_cast<std::size_t>(n);
        }
        if (!leadsInside(components, target)) throw Failed{Problem::UnsafeLink};
        data.started(entry.size);
        std::string tempName = temporaryName(
            [&](const std::string& name) { return ::symlinkat(target.c_str(), parent, name.c_str()) == 0; });
        if (::renameat(parent, tempName.c_str(), parent, components.back().c_str()) != 0) {
            ::unlinkat(parent, tempName.c_str(), 0);
            throw Failed{Problem::WriteFailed};
        }
        std::string path = joined(components);
        madeLinks_.insert(path);
        links_.push_back({components, std::move(target), std::string(entry.name)});
        data.finished(entry.size);
    }

    Fd root_;
    Options options_;
    std::vector<char> buffer_;
    mode_t mask_ = 022;
    Fd parentFd_;
    std::vector<std::string> parentPath_;
    std::unordered_map<std::string, Owner> owners_;  // folded path -> the entry that owns it
    std::set<std::string> madeLinks_;                // paths of the links this run made
    std::vector<MadeLink> links_;
};

std::unique_ptr<Extractor> Extractor::open(const std::filesystem::path& nativeDestination, const Options& options) {
    std::error_code ec;
    std::filesystem::create_directories(nativeDestination, ec);
    Fd root(::open(nativeDestination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root) return nullptr;
    return std::unique_ptr<Extractor>(new Extractor(std::make_unique<Run>(std::move(root), options)));
}

Extractor::Extractor(std::unique_ptr<Run> run) : run_(std::move(run)) {}
Extractor::~Extractor() = default;

EntryResult Extractor::extract(const Entry& entry, EntryData& data) {
    return run_->extract(entry, data);
}

std::vector<LateResult> Extractor::finish() {
    return run_->finish();
}

}  // namespace extract
