// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/apatch/CodeTable.h"

namespace apatch {
namespace {

constexpr std::uint8_t kCopyModes = 9;
constexpr std::uint8_t kNearAndSelfModes = 6;  // SELF, HERE and the four near modes

constexpr CodeTable buildDefaultTable() {
    using enum InstructionType;
    CodeTable table{};
    int index = 0;
    table[index++] = {{Run, 0, 0}, {}};
    table[index++] = {{Add, 0, 0}, {}};
    for (std::uint8_t size = 1; size <= 17; ++size) table[index++] = {{Add, size, 0}, {}};
    for (std::uint8_t mode = 0; mode < kCopyModes; ++mode) {
        table[index++] = {{Copy, 0, mode}, {}};
        for (std::uint8_t size = 4; size <= 18; ++size) table[index++] = {{Copy, size, mode}, {}};
    }
    // Add-then-copy pairs: short copies for the near modes, only size 4 for the same modes.
    for (std::uint8_t mode = 0; mode < kNearAndSelfModes; ++mode) {
        for (std::uint8_t add = 1; add <= 4; ++add) {
            for (std::uint8_t copy = 4; copy <= 6; ++copy) table[index++] = {{Add, add, 0}, {Copy, copy, mode}};
        }
    }
    for (std::uint8_t mode = kNearAndSelfModes; mode < kCopyModes; ++mode) {
        for (std::uint8_t add = 1; add <= 4; ++add) table[index++] = {{Add, add, 0}, {Copy, 4, mode}};
    }
    for (std::uint8_t mode = 0; mode < kCopyModes; ++mode) table[index++] = {{Copy, 4, mode}, {Add, 1, 0}};
    return table;
}

constexpr CodeTable kDefaultTable = buildDefaultTable();
static_assert(kDefaultTable[162].first.type == InstructionType::Copy && kDefaultTable[162].first.mode == 8);
static_assert(kDefaultTable[163].second.size == 4 && kDefaultTable[235].second.mode == 6);
static_assert(kDefaultTable[255].first.mode == 8 && kDefaultTable[255].second.type == InstructionType::Add);

}  // namespace

const CodeTable& defaultCodeTable() {
    return kDefaultTable;
}

}  // namespace apatch
