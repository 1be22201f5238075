// SPDX-License-Identifier: Apache-2.0
// The fixed file version of a PE image (an .exe or .dll of the host): the VS_FIXEDFILEINFO
// in the RT_VERSION resource, found through the resource directory of the image. Every read
// is bounds-checked, since the images come from update archives.
// Part of platform/gorsl; depends on platform/support.
#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "platform/support/Expected.h"

namespace gorsl {

struct FileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t build = 0;
    std::uint16_t revision = 0;

    friend auto operator<=>(const FileVersion&, const FileVersion&) = default;
    std::string text() const;  // "1.2.3.4"
};

// The fixed file version of the image, or why there is none ("not a PE image", "no version
// resource", ...).
platform::Expected<FileVersion> readFileVersion(std::span<const std::uint8_t> image);
// The same for a native file; a file that cannot be read says so.
platform::Expected<FileVersion> readFileVersion(const std::filesystem::path& file);

}  // namespace gorsl
