// SPDX-License-Identifier: Apache-2.0
// `quillon-prefix boot`: what the host does at its next start, on the current prefix. First
// the temporary files that killed runs left (removeStaleTemporaryFiles), then the file
// replacements queued in PendingFileRenameOperations, then the commands of
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce, one after another.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

struct RunOnceCommand {
    std::filesystem::path program;
    std::vector<std::string> arguments;
};

// What a RunOnce command line runs: its program found through the prefix (Windows-style
// path or a bare name), with its arguments split by the host's rules; nothing when no such
// program exists.
std::optional<RunOnceCommand> resolveRunOnceCommand(std::string_view commandLine);

// Performs both steps and reports each operation on standard output, each failure on
// standard error. Returns 0 when everything was done, 1 when something failed; a failed
// operation is taken off its queue all the same, as the host does.
int bootPrefix();

}  // namespace tools
