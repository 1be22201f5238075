// SPDX-License-Identifier: Apache-2.0
// Gorslb's own placeholders, expanded in install script arguments before the script's
// variables: the prefix's folders under the names of the host's environment variables.
// Part of platform/gorsl; depends on platform/prefix.
#pragma once

#include <string>

namespace gorsl {

// See IGorslb::ExpandPlaceholders for the set; names match without regard to case.
std::string expandPlaceholders(const std::string& text);

}  // namespace gorsl
