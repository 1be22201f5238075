#include "platform/standins/apatch/PatchFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace apatch {
namespace {

namespace fs = std::filesystem;

std::string systemError(const std::string& what, const fs::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) noexcept : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// A whole regular file mapped for reading; an empty file maps to an empty view.
class MappedFile {
public:
    static platform::Expected<MappedFile> open(const fs::path& path) {
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) return platform::Failure{systemError("cannot open", path)};
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0) return platform::Failure{systemError("cannot read", path)};
        if (!S_ISREG(info.st_mode)) return platform::Failure{path.string() + " is not a regular file"};
        MappedFile file;
        file.mode_ = info.st_mode;
        if (info.st_size == 0) return file;
        void* address = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd.get(), 0);
        if (address == MAP_FAILED) return platform::Failure{systemError("cannot map", path)};
        file.bytes_ = {static_cast<const std::uint8_t*>(address), static_cast<std::size_t>(info.st_size)};
        return file;
    }
    MappedFile(MappedFile&& other) noexcept : bytes_(std::exchange(other.bytes_, {})), mode_(other.mode_) {}
    MappedFile& operator=(MappedFile&&) = delete;
    ~MappedFile() {
        if (!bytes_.empty()) ::munmap(const_cast<std::uint8_t*>(bytes_.data()), bytes_.size());
    }
    std::span<const std::uint8_t> bytes() const noexcept { return bytes_; }
    mode_t permissions() const noexcept { return mode_ & 0777; }

private:
    MappedFile() = default;
    std::span<const std::uint8_t> bytes_;
    mode_t mode_ = 0;
};

// The new file while it is written: a fresh temporary file beside the target, removed unless
// it was put in place.
class TemporaryTarget final : public TargetSink {
public:
    static platform::Expected<std::unique_ptr<TemporaryTarget>> create(const fs::path& target) {
        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        std::string name = (folder / ("." + target.filename().string() + ".apatch-XXXXXX")).string();
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return platform::Failure{systemError("cannot create a temporary file in", folder)};
        return std::unique_ptr<TemporaryTarget>(new TemporaryTarget(fd, name));
    }
    ~TemporaryTarget() override {
        if (!placed_) ::unlink(path_.c_str());
    }

    std::optional<platform::Failure> append(std::span<const std::uint8_t> window) override {
        while (!window.empty()) {
            const ssize_t written = ::write(fd_.get(), window.data(), window.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return platform::Failure{systemError("cannot write", path_)};
            window = window.subspan(static_cast<std::size_t>(written));
        }
        return std::nullopt;
    }

    std::optional<platform::Failure> readBack(std::uint64_t offset, std::span<std::uint8_t> into) override {
        while (!into.empty()) {
            const ssize_t got = ::pread(fd_.get(), into.data(), into.size(), static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return platform::Failure{systemError("cannot read back", path_)};
            into = into.subspan(static_cast<std::size_t>(got));
            offset += static_cast<std::uint64_t>(got);
        }
        return std::nullopt;
    }

    // Gives the file `permissions` and renames it to `target`.
    std::optional<platform::Failure> place(const fs::path& target, mode_t permissions) {
        if (::fchmod(fd_.get(), permissions) != 0)
            return platform::Failure{systemError("cannot set the mode of", path_)};
        if (::close(fd_.release()) != 0) return platform::Failure{systemError("cannot write", path_)};
        if (::rename(path_.c_str(), target.c_str()) != 0)
            return platform::Failure{systemError("cannot create", target)};
        placed_ = true;
        return std::nullopt;
    }

private:
    TemporaryTarget(int fd, fs::path path) : fd_(fd), path_(std::move(path)) {}
    FileDescriptor fd_;
    fs::path path_;
    bool placed_ = false;
};

}  // namespace

platform::Expected<std::uint64_t> applyPatchFile(const fs::path& patch, const fs::path& old, const fs::path& target,
                                                 const DecodeLimits& limits) {
    auto patchFile = MappedFile::open(patch);
    if (!patchFile) return patchFile.failure();
    auto oldFile = MappedFile::open(old);
    if (!oldFile) return oldFile.failure();
    auto output = TemporaryTarget::create(target);
    if (!output) return output.failure();

    auto length = decodeDelta(patchFile->bytes(), oldFile->bytes(), **output, limits);
    if (!length) return length;
    // A patched program or library stays executable: the new file gets the old one's permissions.
    if (auto failure = (*output)->place(target, oldFile->permissions())) return *failure;
    return length;
}

}  // namespace apatch
