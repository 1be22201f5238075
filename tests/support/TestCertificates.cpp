// SPDX-License-Identifier: Apache-2.0
#include "tests/support/TestCertificates.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "tests/support/Programs.h"

namespace testing_support {

namespace {
const std::filesystem::path kOpenssl = "/usr/bin/openssl";

void openssl(const std::vector<std::string>& args) {
    const auto result = runProgram(kOpenssl, args);
    if (result.status != 0) throw std::runtime_error("openssl " + args.front() + " failed: " + result.err);
}

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
}  // namespace

TestAuthority makeTestAuthority(const std::filesystem::path& folder, const std::string& name) {
    const auto at = [&](const std::string& suffix) { return (folder / (name + suffix)).string(); };
    const std::vector<std::string> ecKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    auto ca = std::vector<std::string>{"req", "-x509"};
    ca.insert(ca.end(), ecKey.begin(), ecKey.end());
    ca.insert(ca.end(),
              {"-keyout", at("-ca.key"), "-out", at("-ca.pem"), "-days", "2", "-subj", "/CN=" + name + " test CA",
               "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign"});
    openssl(ca);
    auto request = std::vector<std::string>{"req"};
    request.insert(request.end(), ecKey.begin(), ecKey.end());
    request.insert(request.end(), {"-keyout", at("-server.key"), "-out", at("-server.csr"), "-subj", "/CN=127.0.0.1"});
    openssl(request);
    std::ofstream(at("-server.ext")) << "subjectAltName=IP:127.0.0.1,DNS:localhost\nextendedKeyUsage=serverAuth\n";
    openssl({"x509", "-req", "-in", at("-server.csr"), "-CA", at("-ca.pem"), "-CAkey", at("-ca.key"), "-CAcreateserial",
             "-out", at("-server.crt"), "-days", "2", "-extfile", at("-server.ext")});
    std::ofstream(at("-server.pem"), std::ios::binary) << contents(at("-server.crt")) << contents(at("-server.key"));
    return {at("-ca.pem"), at("-server.pem")};
}

}  // namespace testing_support
