// SPDX-License-Identifier: Apache-2.0
// Checks a file against a detached signature and a public key with libsodium: the key ids
// must match, the file signature must hold (over the file or its BLAKE2b-512 digest), and so
// must the global signature over the trusted comment. Only then is the comment worth reading.
// Part of platform/trust; depends on platform/support and libsodium.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/support/Expected.h"
#include "platform/trust/Minisign.h"

namespace platform::trust {

// A file signed without the digest ("Ed") must be held whole in memory to be checked; larger
// ones are refused rather than read.
inline constexpr std::uintmax_t kMaxUnhashedFileBytes = std::uintmax_t{64} << 20;

// The trusted comment, once every check has passed.
Expected<std::string> verifyContent(const PublicKey& key, const Signature& signature, std::string_view content);
Expected<std::string> verifyFile(const PublicKey& key, const Signature& signature, const std::filesystem::path& file);

}  // namespace platform::trust
