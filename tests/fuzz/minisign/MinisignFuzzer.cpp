// SPDX-License-Identifier: Apache-2.0
// Any input, as a signature file, a key line and a trusted comment: the parsers must end in a
// value or a failure. A parsed signature is then checked (and must fail) against a fixed key
// over the input itself, and what parses must round-trip its fields.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/trust/Minisign.h"
#include "platform/trust/SignatureCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace trust = platform::trust;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    auto signature = trust::parseSignature(input);
    if (signature) {
        if (signature->trustedComment.size() >= size) std::abort();
        (void)trust::timestampOf(signature->trustedComment);
        static const trust::PublicKey key =
            trust::parsePublicKey("RWSSM8czvl1UvoY029x5AkRRAuHDj+Kcy86n4uWHuh/7LDoEMlRALHqx").value();
        trust::Signature sameId = *signature;
        sameId.keyId = key.keyId;
        // Forging an Ed25519 signature by chance is out of reach: success means a broken check.
        if (trust::verifyContent(key, sameId, input)) std::abort();
    }
    (void)trust::parsePublicKey(input);
    if (auto seconds = trust::timestampOf(input); seconds && *seconds && **seconds < 0) std::abort();
    return 0;
}
