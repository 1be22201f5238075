// SPDX-License-Identifier: Apache-2.0
// The part of the wizard's program-wide run state that the install run shares: where the
// install logs go and whether the computer must restart after the updates. The wizard's
// ModMain refers to this one object, so pages, the install run and tools see the same values.
// Part of quillon/install; depends on the standard library only.
#pragma once

#include <string>

namespace quillon {

struct SharedRunState {
    std::string InstallLogFolder;  // Windows-style; empty until the log folder is set up
    bool RebootRequired = false;   // raised by script commands, never lowered by them
};

// The one instance of the program.
SharedRunState& sharedRunState();

}  // namespace quillon
