// SPDX-License-Identifier: Apache-2.0
// Helpers of the tool library tests: a registered prefix with the two global objects made
// through the component runtime, small file helpers, and the check that a call raises the
// expected error number.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/com/Creation.h"
#include "platform/com/Error.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/prefix/Prefix.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

namespace gorsl_testing {

namespace fs = std::filesystem;
using platform::com::Ptr;

inline constexpr std::int32_t HKLM = -2147483646;

class RegisteredPrefix : public ::testing::Test {
protected:
    testing_support::TestPrefix prefix{testing_support::Libraries::Registered};
    Ptr<gorsl::IGorsla> tools = platform::com::createObject<gorsl::IGorsla>(gorsl::kGorslaProgId);
    Ptr<gorsl::IGorslb> system = platform::com::createObject<gorsl::IGorslb>(gorsl::kGorslbProgId);

    // The native path of a Windows-style path in the prefix.
    static fs::path native(const std::string& windowsPath) { return platform::prefix::toNative(windowsPath); }
};

void writeFile(const fs::path& path, const std::string& bytes);
std::string readFile(const fs::path& path);
using testing_support::waitForFile;

// The error number that `call` raised, or 0 when it raised nothing. The description is
// stored in `description` when given.
std::int32_t errorNumberOf(const std::function<void()>& call, std::string* description = nullptr);

}  // namespace gorsl_testing
