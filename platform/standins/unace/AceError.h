// SPDX-License-Identifier: Apache-2.0
// Why reading an ACE archive failed, as one exception type carrying the UnACE result code.
// Part of platform/standins/unace; standard library only.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace unace {

class AceError : public std::runtime_error {
public:
    AceError(std::int32_t code, const std::string& what) : std::runtime_error(what), code_(code) {}
    std::int32_t code() const noexcept { return code_; }

private:
    std::int32_t code_;
};

// Damaged packed data (a wrong password looks the same).
[[noreturn]] void throwCorrupt(const char* what);

}  // namespace unace
