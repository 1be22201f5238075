// SPDX-License-Identifier: Apache-2.0
// The ordered string collection that component listings hand out (indexed from 1), the
// host's general-purpose Collection in the shape the callers use: Add, Item, Count,
// Remove and enumeration.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Unknown.h"

namespace platform::com {

struct IStringCollection : Unknown {
    static constexpr Guid iid = Guid::literal("A0C1E3B2-5D4F-4E8A-9B17-3C62D1F0A401");

    virtual void Add(const std::string& item) = 0;
    // 1-based; an index outside 1..Count raises "Subscript out of range" (error 9).
    virtual std::string Item(std::int32_t index) = 0;
    virtual std::int32_t Count() = 0;
    virtual void Remove(std::int32_t index) = 0;
    // A snapshot of the items in order, for enumeration.
    virtual std::vector<std::string> Items() = 0;
};

Ptr<IStringCollection> makeStringCollection();

}  // namespace platform::com
