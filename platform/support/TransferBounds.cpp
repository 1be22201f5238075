// SPDX-License-Identifier: Apache-2.0
#include "platform/support/TransferBounds.h"

#include <cstdlib>
#include <optional>

namespace platform {

namespace {
std::optional<unsigned long long> numberFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (!text || *text < '0' || *text > '9') return std::nullopt;
    char* end = nullptr;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (*end != '\0') return std::nullopt;
    return value;
}

std::chrono::seconds secondsFromEnvironment(const char* name, std::chrono::seconds fallback) {
    auto value = numberFromEnvironment(name);
    if (!value || *value < 1 || *value > 86400) return fallback;
    return std::chrono::seconds(static_cast<long>(*value));
}
}  // namespace

TransferBounds TransferBounds::fromEnvironment() {
    TransferBounds bounds;
    bounds.descriptorDeadline =
        secondsFromEnvironment("QUILLON_TRANSFER_DESCRIPTOR_DEADLINE", bounds.descriptorDeadline);
    bounds.lowSpeedWindow = secondsFromEnvironment("QUILLON_TRANSFER_LOW_SPEED_TIME", bounds.lowSpeedWindow);
    if (auto free = numberFromEnvironment("QUILLON_TRANSFER_MIN_FREE_SPACE")) bounds.minFreeBytes = *free;
    return bounds;
}

}  // namespace platform
