// SPDX-License-Identifier: Apache-2.0
// The errors the tool libraries raise: the host's file error numbers that platform/com does
// not name, the libraries' own object-defined numbers, and helpers that turn a failed system
// call into an Error naming the path as the caller wrote it.
// Part of platform/gorsl; depends on platform/com.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

#include "platform/com/Error.h"

namespace gorsl {

namespace errc {
inline constexpr std::int32_t InvalidArgument = platform::com::errc::InvalidArgument;
inline constexpr std::int32_t FileNotFound = platform::com::errc::FileNotFound;
inline constexpr std::int32_t FileAlreadyExists = 58;
inline constexpr std::int32_t PathFileAccess = 75;
inline constexpr std::int32_t PathNotFound = platform::com::errc::PathNotFound;
}  // namespace errc

// A file has no version resource that can be read (object-defined error 1).
inline constexpr std::int32_t kVersionNotReadable = platform::com::errc::ObjectDefined + 1;
// The registry store itself failed: unreadable database, lock held too long (error 2).
inline constexpr std::int32_t kRegistryUnavailable = platform::com::errc::ObjectDefined + 2;

// Error 5 with a description that says what was wrong.
platform::com::Error invalidArgument(const std::string& source, const std::string& what);
// What a missing entry means to the operation: the file it reads, or the folder it writes in.
enum class Missing { File, Folder };

// The host error for a failed file operation: 53 for a missing file, 76 for a missing folder
// (or a file where a folder should be), 58 when something is in the way, 75 otherwise. The
// description names the operation, the path and the system's reason.
platform::com::Error fileError(const std::string& source, const std::string& operation, const std::string& path,
                               std::error_code why, Missing missing = Missing::File);

}  // namespace gorsl
