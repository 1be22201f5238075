// SPDX-License-Identifier: Apache-2.0
// Puts the recording stand-ins of tests/support/recording in front of the real Gorsla and
// Gorsld classes of the current prefix, and reads what they recorded.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/com/Guid.h"

namespace testing_support {

// Registers the recorder for the class (Gorsla's tools or Gorsld's Internet client), keeping
// the real library's path for it to forward to.
void recordCallsOf(const platform::com::Guid& clsid);

// The lines recorded in `log`, optionally only those that begin with `prefix`.
std::vector<std::string> recordedCalls(const std::filesystem::path& log, const std::string& prefix = {});

}  // namespace testing_support
