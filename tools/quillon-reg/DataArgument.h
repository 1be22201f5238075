// SPDX-License-Identifier: Apache-2.0
// quillon-reg's value arguments: /t TYPE, /s SEPARATOR and /d DATA made into a typed value,
// as reg.exe reads them.
// Part of tools/quillon-reg; depends on platform/registry and platform/support.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/Value.h"
#include "platform/support/Expected.h"

namespace tools {

// The value that `typeName` (REG_SZ when absent) and `data` (empty when absent) give; a
// REG_MULTI_SZ with a one-character `separator` splits its data there. A failure says why.
platform::Expected<platform::registry::Value> parseDataArgument(const std::optional<std::string>& typeName,
                                                                const std::string& data,
                                                                const std::optional<std::string>& separator);

}  // namespace tools
