// SPDX-License-Identifier: Apache-2.0
// The maker's signing tool (Debian's minisign) driven from tests: key pairs without a
// password and detached signatures, so that tests check our verifier against real output.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

struct SigningKey {
    std::filesystem::path secretKeyFile;
    std::filesystem::path publicKeyFile;
    std::string keyLine;  // the second line of the .pub file, as a maker registers it
};

// A new key pair in `folder` as <name>.key and <name>.pub.
SigningKey makeSigningKey(const std::filesystem::path& folder, const std::string& name);

enum class SignatureForm { Prehashed, Legacy };

// Writes <file>.minisig (or `signatureFile` when given) with the trusted comment.
void signFile(const SigningKey& key, const std::filesystem::path& file, const std::string& trustedComment,
              SignatureForm form = SignatureForm::Prehashed, const std::filesystem::path& signatureFile = {});

}  // namespace testing_support
