// SPDX-License-Identifier: Apache-2.0
// The standard Blowfish initial P-array and S-boxes (digits of pi). Part of
// platform/standins/unace; standard library only.
#pragma once

#include <array>
#include <cstdint>

namespace unace {

extern const std::array<std::uint32_t, 18> kBlowfishInitialP;
extern const std::array<std::array<std::uint32_t, 256>, 4> kBlowfishInitialS;

}  // namespace unace
