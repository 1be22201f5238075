// SPDX-License-Identifier: Apache-2.0
// The instruction code table of VCDIFF deltas: RFC 3284's default table, the only one the
// patch tool accepts. Part of platform/standins/apatch; standard library only.
#pragma once

#include <array>
#include <cstdint>

namespace apatch {

enum class InstructionType : std::uint8_t { NoOp = 0, Add = 1, Run = 2, Copy = 3 };

struct Instruction {
    InstructionType type = InstructionType::NoOp;
    std::uint8_t size = 0;  // 0: the size follows the code in the instruction section
    std::uint8_t mode = 0;  // address mode of a copy
};

// One instruction code: up to two instructions, run in order.
struct CodeEntry {
    Instruction first;
    Instruction second;
};

using CodeTable = std::array<CodeEntry, 256>;

const CodeTable& defaultCodeTable();

}  // namespace apatch
