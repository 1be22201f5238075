// SPDX-License-Identifier: Apache-2.0
// Fuzzes the PE version reader, which reads files from update archives. Any bytes must
// either give a version or fail with a reason, without reading outside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/gorsl/gorslb/PeVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly `size` bytes, so the sanitizer sees any read past the end.
    auto* copy = static_cast<std::uint8_t*>(std::malloc(size ? size : 1));
    if (size) __builtin_memcpy(copy, data, size);
    auto version = gorsl::readFileVersion(std::span<const std::uint8_t>(copy, size));
    if (!version && version.error().empty()) std::abort();  // every refusal says why
    std::free(copy);
    return 0;
}
