// SPDX-License-Identifier: Apache-2.0
// Reading an update description into the found-update list and the found-updates page's
// rows, which stay in step: position n of the list is row n.
// Part of quillon/discovery; depends on quillon/settings and platform/forms.
#pragma once

#include <string>

#include "platform/forms/ListView.h"
#include "quillon/discovery/FoundUpdate.h"

namespace quillon {

// When the description file's signature matches: appends one FoundUpdate (the product's title,
// "n/a" when it has none, and lines 4 to 6) to `list` and one unticked row (text the title, tag
// the description) to `rows`. Otherwise changes nothing.
void ReadUpdateDescription(const std::string& path, const std::string& productKey, FoundUpdateList& list,
                           platform::forms::ListView& rows);

}  // namespace quillon
