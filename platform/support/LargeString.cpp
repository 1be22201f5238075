// SPDX-License-Identifier: Apache-2.0
#include "platform/support/LargeString.h"

#include <sys/mman.h>

#include <cstdint>

namespace platform {

void resizeForFilling(std::string& text, std::size_t size) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    text.clear();
    if (size >= 4 * kHugePage) {
        text.reserve(size);
        // Advice only, on the whole huge pages inside the fresh, untouched allocation.
        const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
        const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
        if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
    text.resize(size);
}

}  // namespace platform
