// SPDX-License-Identifier: Apache-2.0
// Replacing files that may be in use: at once when nobody uses the target, else queued for
// the next start in PendingFileRenameOperations, as the host keeps it: a REG_MULTI_SZ under
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager of pairs, the source as "\??\C:\..."
// and the destination as "!\??\C:\..." ("!" = replace an existing file; an empty
// destination deletes the source). `quillon-prefix boot` performs the queue.
// Part of platform/gorsl; depends on platform/registry and platform/prefix.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace gorsl {

inline constexpr const char* kSessionManagerKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr const char* kPendingRenamesValue = "PendingFileRenameOperations";

struct PendingRename {
    std::string source;       // Windows-style, without "\??\"
    std::string destination;  // Windows-style, without "!\??\"; empty: delete the source
    bool replaceExisting = true;
};

// See IGorslb::ReplaceFile and CompleteRestartReplacement.
void replaceFile(const std::string& target, const std::string& newFile, const std::string& source);
void completeRestartReplacement(const std::string& newFile, const std::string& source);

// The queue in order. Throws Error kRegistryUnavailable when the store fails.
std::vector<PendingRename> pendingRenames(const std::string& source);

struct RenameOutcome {
    PendingRename rename;
    std::error_code error;  // empty when it was done
};
// Performs the queued operations in order and takes them off the queue, done or failed (as
// the host does: a failed one is reported, not retried). Operations queued meanwhile stay.
std::vector<RenameOutcome> performPendingRenames(const std::string& source);

}  // namespace gorsl
