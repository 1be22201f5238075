// SPDX-License-Identifier: Apache-2.0
#include "tests/support/SigningTool.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/Programs.h"

namespace testing_support {

namespace {
const std::filesystem::path kTool = "/usr/bin/minisign";
}

SigningKey makeSigningKey(const std::filesystem::path& folder, const std::string& name) {
    SigningKey key{folder / (name + ".key"), folder / (name + ".pub"), {}};
    const auto result =
        runProgram(kTool, {"-G", "-f", "-W", "-p", key.publicKeyFile.string(), "-s", key.secretKeyFile.string()});
    if (result.status != 0) throw std::runtime_error("minisign -G failed: " + result.err);
    std::ifstream in(key.publicKeyFile);
    std::string comment;
    std::getline(in, comment);
    std::getline(in, key.keyLine);
    if (key.keyLine.empty()) throw std::runtime_error("minisign wrote no key line");
    return key;
}

void signFile(const SigningKey& key, const std::filesystem::path& file, const std::string& trustedComment,
              SignatureForm form, const std::filesystem::path& signatureFile) {
    std::vector<std::string> args{"-S", "-s", key.secretKeyFile.string(), "-m", file.string(), "-t", trustedComment};
    if (form == SignatureForm::Legacy) args.push_back("-l");
    if (!signatureFile.empty()) args.insert(args.end(), {"-x", signatureFile.string()});
    const auto result = runProgram(kTool, args);
    if (result.status != 0) throw std::runtime_error("minisign -S failed: " + result.err);
}

}  // namespace testing_support
