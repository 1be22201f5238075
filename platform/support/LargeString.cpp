// SPDX-License-Identifier: Apache-2.0
#include "platform/support/LargeString.h"

#include <sys/mman.h>

#include <cstdint>

namespace platform {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}

void adviseHugePages(void* block, std::size_t size) {
    if (size < 4 * kHugePage) return;
    // On the whole huge pages inside the block only.
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void resizeForFilling(std::string& text, std::size_t size) {
    text.clear();
    if (size >= 4 * kHugePage) {
        text.reserve(size);
        adviseHugePages(text.data(), size);
    }
    text.resize(size);
}

}  // namespace platform
