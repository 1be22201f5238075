// SPDX-License-Identifier: Apache-2.0
// The two texts a maker's signing tool writes: the public key line (the second line of its
// .pub file) and a detached signature file (<file>.minisig). Both come from outside (the
// registry, an update server), so parsing is bounded and refuses anything not exactly in form.
// Part of platform/trust; depends on platform/support and libsodium.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/support/Expected.h"

namespace platform::trust {

using KeyId = std::array<std::uint8_t, 8>;

struct PublicKey {
    KeyId keyId{};
    std::array<std::uint8_t, 32> key{};
};

struct Signature {
    // "ED": the signature covers the BLAKE2b-512 digest of the file; "Ed": the file itself.
    bool prehashed = false;
    KeyId keyId{};
    std::array<std::uint8_t, 64> fileSignature{};
    std::string trustedComment;
    // Covers fileSignature followed by trustedComment, so the comment cannot be swapped.
    std::array<std::uint8_t, 64> globalSignature{};
};

// A signature file is four short lines; anything longer is not one.
inline constexpr std::size_t kMaxSignatureFileBytes = 16 * 1024;

// The key line alone; surrounding white space is ignored.
Expected<PublicKey> parsePublicKey(std::string_view keyLine);

// The whole text of a .minisig file (LF or CRLF line ends, final line end optional).
Expected<Signature> parseSignature(std::string_view fileText);

// The seconds of the one "timestamp:<digits>" field of a trusted comment (fields are
// separated by white space). No such field: nullopt. Two, or digits beyond 64 bits: a failure.
Expected<std::optional<std::int64_t>> timestampOf(std::string_view trustedComment);

}  // namespace platform::trust
