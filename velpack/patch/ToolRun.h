// SPDX-License-Identifier: Apache-2.0
// Running the patch tool and waiting for it while the caller's events go on (the patch
// module's RunAndWait), with a bound: a tool that hangs is ended.
// Part of velpack/patch; depends on platform/forms (the event loop) and platform/support.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace velpack {

enum class ToolRunOutcome {
    Ended,       // the tool ran and ended; its exit status is not judged here
    NotStarted,  // it could not be started
    TimedOut,    // it was still running at the bound and has been killed
};

// Starts `program` with `arguments` in `workingDirectory` and waits until it ends, letting
// pending events run between polls. Afterwards the child has been reaped in every outcome,
// also when an event handler's error ends the wait early (the child is then killed).
ToolRunOutcome runToolAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                              const std::filesystem::path& workingDirectory, std::chrono::milliseconds limit);

}  // namespace velpack
