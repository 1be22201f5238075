// SPDX-License-Identifier: Apache-2.0
// One environment variable set or unset for a scope: the guard restores its previous value,
// or its absence, when it goes, also when a failed assertion ends the test early.
// Part of tests/support; depends on the C library only.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace testing_support {

class ScopedEnvironment {
public:
    // Sets `name` to `value`, or unsets it for nullopt.
    ScopedEnvironment(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) previous_ = old;
        value ? set(*value) : unset();
    }
    ~ScopedEnvironment() { previous_ ? set(*previous_) : unset(); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    // Changes the variable again within the scope; the value before the guard is still what
    // comes back.
    void set(const std::string& value) { ::setenv(name_.c_str(), value.c_str(), 1); }
    void unset() { ::unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace testing_support
