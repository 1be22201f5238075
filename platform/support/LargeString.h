// SPDX-License-Identifier: Apache-2.0
// Sizing a string (or a block) that is about to be filled whole: a large one is backed by huge
// pages where the system offers them, so that filling it takes a page fault per 2 MiB instead of per 4 KiB.
// Part of platform/support; depends on the standard library and POSIX.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Makes `text` `size` bytes long, all 0; what it held before is gone.
void resizeForFilling(std::string& text, std::size_t size);

// Asks for huge pages for a fresh, untouched block of `size` bytes when it is large; advice only.
void adviseHugePages(void* block, std::size_t size);

}  // namespace platform
