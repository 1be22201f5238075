// SPDX-License-Identifier: Apache-2.0
#include "tools/velpack/Subcommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/support/VisibleText.h"

namespace velpack_tool {

bool isHelpRequest(std::string_view arg) {
    return arg == "-h" || arg == "--help" || arg == "help";
}

namespace {
// A regular file is read with one read into a buffer sized from its length; a pipe, or a
// file that grew meanwhile, in chunks after that.
bool readAll(std::FILE* file, std::string& into) {
    struct stat info {};
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) {
        const off_t at = ftello(file);
        if (at >= 0 && info.st_size > at) {
            into.resize(static_cast<std::size_t>(info.st_size - at));
            const std::size_t n = std::fread(into.data(), 1, into.size(), file);
            into.resize(n);
            if (n < static_cast<std::size_t>(info.st_size - at)) return !std::ferror(file);
        }
    }
    char buffer[1 << 16];
    for (;;) {
        std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
        into.append(buffer, n);
        if (n < sizeof buffer) return !std::ferror(file);
    }
}
}  // namespace

InputBytes::InputBytes(InputBytes&& other) noexcept
    : mapped_(std::exchange(other.mapped_, nullptr)), size_(other.size_), read_(std::move(other.read_)) {}

InputBytes::~InputBytes() {
    if (mapped_) ::munmap(const_cast<char*>(mapped_), size_);
}

namespace {
platform::Failure readFailure(const std::string& what, int error) {
    return platform::Failure{what + ": " + std::strerror(error), {error, std::generic_category()}};
}

// A regular file that is not empty, mapped whole; false when it is none (or cannot be mapped).
bool mapFile(int fd, const char*& mapped, std::size_t& size) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return false;
    void* at = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (at == MAP_FAILED) return false;
    mapped = static_cast<const char*>(at);
    size = static_cast<std::size_t>(info.st_size);
    return true;
}
}  // namespace

platform::Expected<InputBytes> readInput(const std::string& path) {
    InputBytes input;
    if (path.empty() || path == "-") {
        if (mapFile(STDIN_FILENO, input.mapped_, input.size_)) return input;
        if (!readAll(stdin, input.read_)) return readFailure("cannot read standard input", errno);
        return input;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return readFailure(path, errno);
    if (mapFile(fileno(file), input.mapped_, input.size_)) {
        std::fclose(file);
        return input;
    }
    bool ok = readAll(file, input.read_);
    int readErrno = errno;
    std::fclose(file);
    if (!ok) return readFailure(path, readErrno);
    return input;
}

bool writeOutput(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "velpack: cannot write standard output: %s\n", std::strerror(errno));
        return false;
    }
    return true;
}

namespace {
// "usage: " before the first line, the later lines indented under it.
std::string formatUsage(std::string_view usage) {
    std::string text = "usage: ";
    for (char c : usage) {
        text += c;
        if (c == '\n') text += "       ";
    }
    return text + '\n';
}
}  // namespace

int printUsage(std::string_view usage) {
    std::fputs(formatUsage(usage).c_str(), stdout);
    return kExitSuccess;
}

int usageError(std::string_view message, std::string_view usage) {
    std::fprintf(stderr, "velpack: %s\n%s", platform::visibleText(message).c_str(), formatUsage(usage).c_str());
    return kExitUsage;
}

int failure(std::string_view context, std::string_view message) {
    std::fprintf(stderr, "velpack %.*s: %s\n", static_cast<int>(context.size()), context.data(),
                 platform::visibleText(message).c_str());
    return kExitFailure;
}

int componentFailure(std::string_view context, const platform::com::Error& error) {
    // Object-defined numbers read better in hex (80040000), the standard ones in decimal (5).
    char number[48];
    if (error.number() < 0)
        std::snprintf(number, sizeof number, "%d (0x%08X)", error.number(), static_cast<unsigned>(error.number()));
    else
        std::snprintf(number, sizeof number, "%d", error.number());
    std::fprintf(stderr, "velpack %.*s: error %s in %s: %s\n", static_cast<int>(context.size()), context.data(), number,
                 platform::visibleText(error.source()).c_str(), platform::visibleText(error.description()).c_str());
    return kExitFailure;
}

}  // namespace velpack_tool
