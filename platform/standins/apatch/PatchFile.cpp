// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/apatch/PatchFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/support/StagedFile.h"

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
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const noexcept { return fd_; }

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

// The new file while it is written: a staged file beside the target, removed unless it was
// put in place.
class TemporaryTarget final : public TargetSink {
public:
    static platform::Expected<std::unique_ptr<TemporaryTarget>> create(const fs::path& target) {
        std::unique_ptr<TemporaryTarget> output(new TemporaryTarget(target));
        if (const auto error = output->staged_.create(0600, "apatch")) {
            return platform::Failure{"cannot create a temporary file beside " + target.string() + ": " +
                                     error.message()};
        }
        return output;
    }

    std::optional<platform::Failure> append(std::span<const std::uint8_t> window) override {
        const std::string_view bytes(reinterpret_cast<const char*>(window.data()), window.size());
        if (const auto error = staged_.write(bytes)) return failure("cannot write", error);
        return std::nullopt;
    }

    std::optional<platform::Failure> readBack(std::uint64_t offset, std::span<std::uint8_t> into) override {
        // The staged file is open for writing only: read through a second descriptor of the
        // same file (by its descriptor, not its name, which someone could have replaced).
        if (reader_.get() < 0) {
            const std::string self = "/proc/self/fd/" + std::to_string(staged_.fd());
            reader_ = FileDescriptor(::open(self.c_str(), O_RDONLY | O_CLOEXEC));
            if (reader_.get() < 0) return failure("cannot read back", lastError());
        }
        while (!into.empty()) {
            const ssize_t got = ::pread(reader_.get(), into.data(), into.size(), static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0)
                return failure("cannot read back", std::error_code(got < 0 ? errno : EIO, std::generic_category()));
            into = into.subspan(static_cast<std::size_t>(got));
            offset += static_cast<std::uint64_t>(got);
        }
        return std::nullopt;
    }

    // Gives the file `permissions` and renames it to the target.
    std::optional<platform::Failure> place(mode_t permissions) {
        if (::fchmod(staged_.fd(), permissions) != 0) return failure("cannot set the mode of", lastError());
        if (const auto error = staged_.commit(platform::Overwrite::Replace)) return failure("cannot create", error);
        return std::nullopt;
    }

private:
    explicit TemporaryTarget(const fs::path& target) : target_(target), staged_(target) {}
    static std::error_code lastError() { return {errno, std::generic_category()}; }
    platform::Failure failure(const std::string& what, const std::error_code& error) const {
        return {what + " " + target_.string() + ": " + error.message()};
    }

    fs::path target_;
    platform::StagedFile staged_;
    FileDescriptor reader_;
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
    if (auto failure = (*output)->place(oldFile->permissions())) return *failure;
    return length;
}

}  // namespace apatch
