// SPDX-License-Identifier: Apache-2.0
// A throwaway prefix for one test: its own folder and registry store, selected through
// QUILLON_PREFIX for this process and the programs it starts, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/ScopedEnvironment.h"

namespace testing_support {

enum class Libraries { NotRegistered, Registered };

class TestPrefix {
public:
    // Registered runs the real `quillon-prefix init`, which registers the four server
    // libraries; NotRegistered only makes the folders and the store.
    explicit TestPrefix(Libraries libraries = Libraries::NotRegistered);
    ~TestPrefix();
    TestPrefix(const TestPrefix&) = delete;
    TestPrefix& operator=(const TestPrefix&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // A native path below the prefix root.
    std::filesystem::path operator/(const std::string& relative) const { return root_ / relative; }

private:
    std::filesystem::path root_;
    ScopedEnvironment prefixVariable_;
};

// A fresh empty folder under the system temp folder, removed by the caller.
std::filesystem::path makeTempDirectory(const std::string& stem);

}  // namespace testing_support
