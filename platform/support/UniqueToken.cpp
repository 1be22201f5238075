// SPDX-License-Identifier: Apache-2.0
#include "platform/support/UniqueToken.h"

#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace platform {

namespace {
std::uint64_t drawRandom() {
    std::uint64_t value = 0;
    auto* bytes = reinterpret_cast<char*>(&value);
    std::size_t got = 0;
    while (got < sizeof value) {
        ssize_t n = getrandom(bytes + got, sizeof value - got, 0);
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else
            break;
    }
    if (got < sizeof value) {
        // No random source: time and process id still keep processes apart.
        value ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        value ^= static_cast<std::uint64_t>(getpid()) << 40;
    }
    return value;
}

std::atomic<std::uint64_t> counter{0};
}  // namespace

std::string uniqueToken() {
    char text[48];
    std::snprintf(text, sizeof text, "%016llx-%llu", static_cast<unsigned long long>(drawRandom()),
                  static_cast<unsigned long long>(++counter));
    return text;
}

}  // namespace platform
