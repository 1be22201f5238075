// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/apatch/AddressCache.h"

namespace apatch {
namespace {
enum : std::uint8_t { kSelf = 0, kHere = 1, kFirstNear = 2 };
constexpr std::uint8_t kFirstSame = kFirstNear + AddressCache::kNearSize;
constexpr std::uint8_t kModeCount = kFirstSame + AddressCache::kSameSize;
}  // namespace

void AddressCache::reset() noexcept {
    near_.fill(0);
    nextNear_ = 0;
    same_.fill(0);
}

std::optional<std::uint64_t> AddressCache::decode(std::uint8_t mode, std::uint64_t here,
                                                  ByteReader& addresses) noexcept {
    std::uint64_t address = 0;
    if (mode < kFirstSame) {
        const auto operand = addresses.integer();
        if (!operand) return std::nullopt;
        if (mode == kSelf) {
            address = *operand;
        } else if (mode == kHere) {
            if (*operand > here) return std::nullopt;
            address = here - *operand;
        } else {
            address = near_[mode - kFirstNear] + *operand;
            if (address < *operand) return std::nullopt;  // wrapped around
        }
    } else if (mode < kModeCount) {
        const auto operand = addresses.byte();
        if (!operand) return std::nullopt;
        address = same_[(mode - kFirstSame) * 256 + *operand];
    } else {
        return std::nullopt;
    }
    if (address >= here) return std::nullopt;

    near_[nextNear_] = address;
    nextNear_ = (nextNear_ + 1) % kNearSize;
    same_[address % same_.size()] = address;
    return address;
}

}  // namespace apatch
