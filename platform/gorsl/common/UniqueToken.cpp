#include "platform/gorsl/common/UniqueToken.h"

#include <sys/random.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>

namespace gorsl {

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
}  // namespace

std::string uniqueToken() {
    static std::mutex mutex;
    static pid_t owner = 0;
    static std::uint64_t processRandom = 0;
    static std::uint64_t counter = 0;
    std::lock_guard lock(mutex);
    if (owner != getpid()) {
        owner = getpid();
        processRandom = drawRandom();
        counter = 0;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%016llx-%llu", static_cast<unsigned long long>(processRandom),
                  static_cast<unsigned long long>(++counter));
    return text;
}

}  // namespace gorsl
