// SPDX-License-Identifier: Apache-2.0
// One update found by the search, and the ordered list of them that the later pages share:
// position n of the list is row n of the found-updates page's list view.
// Part of quillon/discovery; depends on the standard library only.
#pragma once

#include <string>
#include <vector>

namespace quillon {

struct FoundUpdate {
    std::string ProductKey;
    std::string Title;        // "n/a" when the product has none; empty in the direct update
    std::string UpdateType;   // text of a 16-bit whole number: 1 archive, 2 web page
    std::string UpdateData;   // archive file name or web address
    std::string Description;  // one line
    bool Selected = false;
};

using FoundUpdateList = std::vector<FoundUpdate>;

}  // namespace quillon
