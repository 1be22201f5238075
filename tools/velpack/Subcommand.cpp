// SPDX-License-Identifier: Apache-2.0
#include "tools/velpack/Subcommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

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

platform::Expected<std::string> readInput(const std::string& path) {
    std::string bytes;
    if (path.empty() || path == "-") {
        if (!readAll(stdin, bytes))
            return platform::Failure{"cannot read standard input: " + std::string(std::strerror(errno)),
                                     {errno, std::generic_category()}};
        return bytes;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return platform::Failure{path + ": " + std::strerror(errno), {errno, std::generic_category()}};
    bool ok = readAll(file, bytes);
    int readErrno = errno;
    std::fclose(file);
    if (!ok) return platform::Failure{path + ": " + std::strerror(readErrno), {readErrno, std::generic_category()}};
    return bytes;
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
