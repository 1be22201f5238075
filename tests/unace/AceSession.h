// SPDX-License-Identifier: Apache-2.0
// Drives the UnACE functions the way the ACE archive class does, for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/standins/unace/UnAce.h"

namespace unace_test {

// The shared ACE fixtures (the folder beside the repository), which may be absent.
inline std::filesystem::path aceFixtures() {
    return std::filesystem::path(QUILLON_SHARED_DIR) / "fixtures" / "ace";
}
#define REQUIRE_ACE_FIXTURES()                                                          \
    do {                                                                                \
        if (!std::filesystem::is_directory(::unace_test::aceFixtures())) {              \
            GTEST_SKIP() << "ACE fixtures not found at " << ::unace_test::aceFixtures() \
                         << " (the shared folder beside the repository)";               \
        }                                                                               \
    } while (false)

struct EntryResult {
    std::string name;
    std::uint32_t flags = 0;
    std::uint32_t attributes = 0;
    std::int32_t result = 0;  // of ACEProcessFile
};

struct SessionResult {
    std::int32_t openResult = 0;
    std::vector<EntryResult> entries;
    std::int32_t lastHeaderResult = 0;  // ACE_END_ARCHIVE when the archive was read to its end
};

// Opens `archive`, sets the password when not empty, and applies `operation` to every entry
// (the target being `destination` + "\" + name for ACE_EXTRACT).
SessionResult runSession(const std::string& archive, std::int32_t operation, const std::string& destination = "",
                         const std::string& password = "");

}  // namespace unace_test
