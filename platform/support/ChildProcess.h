// SPDX-License-Identifier: Apache-2.0
// Starting a child process: the program's native path, its arguments as a vector (no shell,
// no quoting), an optional working directory, this process's environment and standard streams,
// default signal handling and an empty signal mask. Waiting is the caller's business.
// Part of platform/support; depends on POSIX.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The child's process id, or nothing when it could not be started. The caller reaps it.
std::optional<pid_t> spawnProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                  const std::filesystem::path& workingDirectory = {});

}  // namespace platform
