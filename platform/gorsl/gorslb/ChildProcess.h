// SPDX-License-Identifier: Apache-2.0
// Starting programs: finding the native program that a Windows-style name means, running it
// and waiting for it, or starting it without waiting. Children get this process's
// environment and standard streams, default signal handling and an empty signal mask.
// Part of platform/gorsl; depends on platform/prefix and POSIX.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gorsl {

// The executable file a program name names. A name with a separator or a drive is a path,
// mapped through the prefix; a bare name is looked for in the System folder, the Windows
// folder and then along PATH. In each place the name is tried as written and with ".exe"
// appended. Nothing when no executable file is found.
std::optional<std::filesystem::path> findProgram(std::string_view name);

struct ChildOptions {
    std::filesystem::path workingDirectory;  // empty: this process's
};

// Runs the program and waits until it ends. The exit status, or nothing when it could not
// be started or was ended by a signal.
std::optional<int> runAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                              const ChildOptions& options = {});
// The same with a limit: when the program is still running after `limit`, it is left
// running (and reaped in the background) and nothing is returned.
std::optional<int> runAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                              const ChildOptions& options, std::chrono::milliseconds limit);
// Starts the program and returns at once; the child is reaped in the background when it
// ends. False when it could not be started.
bool startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const ChildOptions& options = {});

}  // namespace gorsl
