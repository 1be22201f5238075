// SPDX-License-Identifier: Apache-2.0
// quillon-script check: what an install script will do differently from what its writer may
// expect, found without running it. Each finding is one line beginning with its line number.
// Part of tools/quillon-script; depends on quillon/install and quillon/toollib.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon_script {

// Tells whether "%name%" is replaced when the script runs; nothing when no product was named,
// and then placeholders are not checked.
using KnownVariable = std::function<bool(const std::string& name)>;

// The findings for a script's bytes, in line order:
//  - a keyword that is no command (the line is skipped as a remark), also the empty keyword
//    of a line that begins with a blank;
//  - a command given fewer arguments than it reads;
//  - an argument whose double quotes hold no blank, so they stay part of it;
//  - a "%name%" that names no variable (only with `known`);
//  - a command after a CANCEL, which never runs;
//  - a lone LF, which ends no line, so the run reads the text around it as one line.
std::vector<std::string> checkScript(std::string_view bytes, const std::optional<KnownVariable>& known);

// The variables a product's script sees: the library's placeholders, the install temp and
// Web-Links folders and the values of the product's Vars key, read from the registry now.
KnownVariable productVariables(const std::string& productKey);

}  // namespace quillon_script
