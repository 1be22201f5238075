// SPDX-License-Identifier: Apache-2.0
// Certificate authorities made for a test with the openssl program: a CA and a server
// certificate it signed for 127.0.0.1 and localhost, valid for two days, so that TLS tests
// verify against a store of their own and never need the system's.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

struct TestAuthority {
    std::filesystem::path caFile;      // the CA's certificate (PEM): what a client trusts
    std::filesystem::path serverFile;  // the server's certificate and key (PEM): what a server shows
};

// A new CA named `name` in `folder` (files <name>-ca.pem and <name>-server.pem). Throws
// std::runtime_error when openssl fails.
TestAuthority makeTestAuthority(const std::filesystem::path& folder, const std::string& name);

}  // namespace testing_support
