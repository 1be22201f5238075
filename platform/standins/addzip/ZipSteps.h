// SPDX-License-Identifier: Apache-2.0
// The three jobs of an addZIP run, one file each: creating or adding to an archive
// (ZipCreate.cpp), listing it (ZipList.cpp) and deleting entries from it (ZipDelete.cpp), and
// the result they share (ZipRunner.cpp, which picks the job). Internal to addzip.
// Part of platform/standins/addzip; depends on libzip, platform/prefix and platform/support.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "platform/standins/addzip/Messages.h"
#include "platform/standins/addzip/Settings.h"

namespace addzip {

// Each reports every step to `writer` and returns what runZip returns (ZipRunner.h) for the
// archive at `native`, named settings.archiveName in messages.
std::int16_t createArchive(const ZipSettings& settings, const std::filesystem::path& native, MessageWriter& writer);
std::int16_t listArchive(const ZipSettings& settings, const std::filesystem::path& native, MessageWriter& writer);
std::int16_t deleteFromArchive(const ZipSettings& settings, const std::filesystem::path& native, MessageWriter& writer);

// The count of files handled, at most 32767.
std::int16_t countResult(std::size_t count);
// The negative first error code the run reported.
std::int16_t errorResult(const MessageWriter& writer);

}  // namespace addzip
