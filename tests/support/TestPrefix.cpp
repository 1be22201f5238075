// SPDX-License-Identifier: Apache-2.0
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/prefix/Prefix.h"
#include "platform/registry/RegistryStore.h"
#include "tests/support/Programs.h"

namespace fs = std::filesystem;

namespace testing_support {

fs::path makeTempDirectory(const std::string& stem) {
    std::string pattern = (fs::temp_directory_path() / (stem + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    return pattern;
}

TestPrefix::TestPrefix(Libraries libraries)
    : root_(makeTempDirectory("quillon-prefix")), prefixVariable_("QUILLON_PREFIX", root_.string()) {
    platform::registry::RegistryStore::resetPrefixStore();
    if (libraries == Libraries::Registered) {
        auto result = runProgram(program("quillon-prefix"), {"init", root_.string()});
        if (result.status != 0) throw std::runtime_error("quillon-prefix init failed: " + result.err);
    } else {
        platform::prefix::createLayout(root_);
        platform::registry::RegistryStore::forPrefix();
    }
}

TestPrefix::~TestPrefix() {
    platform::registry::RegistryStore::resetPrefixStore();
    std::error_code ec;
    fs::remove_all(root_, ec);
}

}  // namespace testing_support
