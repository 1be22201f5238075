// SPDX-License-Identifier: Apache-2.0
#include "platform/trust/Minisign.h"

#include <sodium.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace platform::trust {

namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment: ";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
constexpr std::string_view kTimestampField = "timestamp:";

Failure invalid(std::string what) {
    return Failure{std::move(what)};
}

// Exactly `size` bytes from padded standard base64, nothing before, after or in between.
bool decodeExact(std::string_view text, std::uint8_t* out, std::size_t size) {
    std::size_t decoded = 0;
    return sodium_base642bin(out, size, text.data(), text.size(), nullptr, &decoded, nullptr,
                             sodium_base64_VARIANT_ORIGINAL) == 0 &&
           decoded == size;
}

std::string_view trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

Expected<PublicKey> parsePublicKey(std::string_view keyLine) {
    const std::string_view line = trimmed(keyLine);
    // Two algorithm bytes, the key id, the key: 42 bytes are 56 base64 characters.
    std::uint8_t raw[2 + 8 + 32];
    if (line.size() != 56 || !decodeExact(line, raw, sizeof raw)) return invalid("the public key is not a key line");
    if (raw[0] != 'E' || raw[1] != 'd') return invalid("the public key is not an Ed25519 key");
    PublicKey key;
    std::memcpy(key.keyId.data(), raw + 2, key.keyId.size());
    std::memcpy(key.key.data(), raw + 10, key.key.size());
    return key;
}

Expected<Signature> parseSignature(std::string_view fileText) {
    if (fileText.size() > kMaxSignatureFileBytes) return invalid("the signature file is too large");
    if (fileText.find('\0') != std::string_view::npos) return invalid("the signature file holds a NUL byte");

    std::vector<std::string_view> lines;
    for (std::string_view rest = fileText; !rest.empty();) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (lines.size() > 4) return invalid("the signature file has more than four lines");
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    if (lines.size() != 4) return invalid("the signature file has fewer than four lines");
    if (!lines[0].starts_with(kUntrustedPrefix)) return invalid("the signature file lacks its untrusted comment");
    if (!lines[2].starts_with(kTrustedPrefix)) return invalid("the signature file lacks its trusted comment");

    Signature signature;
    std::uint8_t raw[2 + 8 + 64];
    if (lines[1].size() != 100 || !decodeExact(lines[1], raw, sizeof raw))
        return invalid("the signature line is not valid base64 of a signature");
    if (raw[0] == 'E' && raw[1] == 'D')
        signature.prehashed = true;
    else if (!(raw[0] == 'E' && raw[1] == 'd'))
        return invalid("the signature uses an unknown algorithm");
    std::memcpy(signature.keyId.data(), raw + 2, signature.keyId.size());
    std::memcpy(signature.fileSignature.data(), raw + 10, signature.fileSignature.size());

    signature.trustedComment = std::string(lines[2].substr(kTrustedPrefix.size()));
    if (lines[3].size() != 88 ||
        !decodeExact(lines[3], signature.globalSignature.data(), signature.globalSignature.size()))
        return invalid("the global signature line is not valid base64 of a signature");
    return signature;
}

Expected<std::optional<std::int64_t>> timestampOf(std::string_view trustedComment) {
    std::optional<std::int64_t> found;
    std::size_t position = 0;
    while (position < trustedComment.size()) {
        const std::size_t start = trustedComment.find_first_not_of(" \t", position);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(trustedComment.find_first_of(" \t", start), trustedComment.size());
        const std::string_view field = trustedComment.substr(start, end - start);
        position = end;
        if (!field.starts_with(kTimestampField)) continue;
        if (found) return invalid("the trusted comment carries two timestamps");
        const std::string_view digits = field.substr(kTimestampField.size());
        std::int64_t seconds = 0;
        const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
        if (digits.empty() || digits.front() == '-' || error != std::errc{} || last != digits.data() + digits.size())
            return invalid("the trusted comment's timestamp is not a number of seconds");
        found = seconds;
    }
    return found;
}

}  // namespace platform::trust
