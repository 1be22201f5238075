// SPDX-License-Identifier: Apache-2.0
// Starting a helper program of the project and waiting for it.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tools {

// Runs `program` with `args`, the environment of this process plus `extraEnvironment`,
// and waits. Returns the exit status, or -1 when it could not be started or was killed.
int runAndWait(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::vector<std::pair<std::string, std::string>>& extraEnvironment = {});

}  // namespace tools
