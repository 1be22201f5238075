// SPDX-License-Identifier: Apache-2.0
// The velpack command line: what its subcommands share. Each subcommand lives in its own file
// (He2Command.cpp, ...) and has one row in main.cpp's dispatch table. Depends on the
// component's core (velpack_core), platform/com and platform/support only.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/com/Error.h"
#include "platform/support/Expected.h"

namespace velpack_tool {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the work failed: bad input, an error of the component
inline constexpr int kExitUsage = 2;    // the command line was wrong

struct Subcommand {
    std::string_view name;   // the first argument, e.g. "he2"
    std::string_view usage;  // its usage lines, each starting with "velpack "
    // Runs with the arguments after the name; returns the exit status.
    int (*run)(std::span<const std::string> args);
};

// One declaration per subcommand; each is defined in its own file.
extern const Subcommand kHe2Command;
extern const Subcommand kZipCommand;
extern const Subcommand kPatchCommand;
extern const Subcommand kRarCommand;
extern const Subcommand kAceCommand;

// True for "-h", "--help" and "help".
bool isHelpRequest(std::string_view arg);

// The bytes of FILE, or of standard input when `path` is empty or "-". A regular file is
// mapped rather than copied; anything else is read into memory.
// Failure: nothing was kept; the message names the file and the reason.
class InputBytes {
public:
    InputBytes() = default;
    InputBytes(InputBytes&& other) noexcept;
    InputBytes& operator=(InputBytes&&) = delete;
    ~InputBytes();
    std::string_view bytes() const { return mapped_ ? std::string_view(mapped_, size_) : std::string_view(read_); }

private:
    friend platform::Expected<InputBytes> readInput(const std::string& path);
    const char* mapped_ = nullptr;
    std::size_t size_ = 0;
    std::string read_;
};
platform::Expected<InputBytes> readInput(const std::string& path);

// Writes raw bytes to standard output and flushes. After failure the output may be partial;
// the reason has been printed to standard error.
bool writeOutput(std::string_view bytes);

// Prints the usage lines to standard output (asked for) and returns kExitSuccess.
int printUsage(std::string_view usage);
// Prints "velpack: <message>" and the usage lines to standard error; returns kExitUsage.
int usageError(std::string_view message, std::string_view usage);
// Prints "velpack <context>: <message>" to standard error; returns kExitFailure.
int failure(std::string_view context, std::string_view message);
// Prints a component error with its number, source and description; returns kExitFailure.
int componentFailure(std::string_view context, const platform::com::Error& error);

}  // namespace velpack_tool
