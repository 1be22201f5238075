// SPDX-License-Identifier: Apache-2.0
#include "platform/trust/SignatureCheck.h"

#include <sodium.h>

#include <fstream>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace platform::trust {

namespace {

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
    });
}

using Digest = std::array<std::uint8_t, crypto_generichash_BYTES_MAX>;

// The parts shared by both ways of reading the file: ids, then the file signature over
// `signedBytes`, then the global signature.
Expected<std::string> check(const PublicKey& key, const Signature& signature, const std::uint8_t* signedBytes,
                            std::size_t signedSize) {
    if (signature.keyId != key.keyId) return Failure{"the file was signed with another key"};
    if (crypto_sign_verify_detached(signature.fileSignature.data(), signedBytes, signedSize, key.key.data()) != 0)
        return Failure{"the signature does not match the file"};
    std::vector<std::uint8_t> global(signature.fileSignature.begin(), signature.fileSignature.end());
    global.insert(global.end(), signature.trustedComment.begin(), signature.trustedComment.end());
    if (crypto_sign_verify_detached(signature.globalSignature.data(), global.data(), global.size(), key.key.data()) !=
        0)
        return Failure{"the trusted comment does not match its signature"};
    return signature.trustedComment;
}

}  // namespace

Expected<std::string> verifyContent(const PublicKey& key, const Signature& signature, std::string_view content) {
    initialiseOnce();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(content.data());
    if (!signature.prehashed) return check(key, signature, bytes, content.size());
    Digest digest;
    crypto_generichash(digest.data(), digest.size(), bytes, content.size(), nullptr, 0);
    return check(key, signature, digest.data(), digest.size());
}

Expected<std::string> verifyFile(const PublicKey& key, const Signature& signature, const std::filesystem::path& file) {
    initialiseOnce();
    std::ifstream in(file, std::ios::binary);
    if (!in) return Failure{"the file cannot be read"};
    if (!signature.prehashed) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(file, error);
        if (error) return Failure{"the file cannot be read", error};
        if (size > kMaxUnhashedFileBytes) return Failure{"the file is too large for a signature without digest"};
        std::string content(static_cast<std::size_t>(size), '\0');
        if (!in.read(content.data(), static_cast<std::streamsize>(content.size())) ||
            in.peek() != std::char_traits<char>::eof())
            return Failure{"the file changed while it was read"};
        return verifyContent(key, signature, content);
    }
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES_MAX);
    std::vector<char> buffer(64 * 1024);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got) crypto_generichash_update(&state, reinterpret_cast<const std::uint8_t*>(buffer.data()), got);
    }
    if (in.bad()) return Failure{"the file cannot be read"};
    Digest digest;
    crypto_generichash_final(&state, digest.data(), digest.size());
    return check(key, signature, digest.data(), digest.size());
}

}  // namespace platform::trust
