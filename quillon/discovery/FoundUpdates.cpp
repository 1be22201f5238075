// SPDX-License-Identifier: Apache-2.0
#include "quillon/discovery/FoundUpdates.h"

#include "quillon/discovery/DescriptorFiles.h"
#include "quillon/settings/RegistryLayout.h"

namespace quillon {

void ReadUpdateDescription(const std::string& path, const std::string& productKey, FoundUpdateList& list,
                           platform::forms::ListView& rows) {
    auto description = parseUpdateDescription(readDescriptorLines(path));
    if (!description) return;
    FoundUpdate update;
    update.ProductKey = productKey;
    update.Title = settings::productTitle(productKey);
    update.UpdateType = description->updateType;
    update.UpdateData = description->updateData;
    update.Description = description->description;
    // The row first: should the list view refuse it, the list stays in step.
    auto& row = rows.add("", update.Title);
    row.setTag(update.Description);
    list.push_back(std::move(update));
}

}  // namespace quillon
