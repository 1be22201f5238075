// SPDX-License-Identifier: Apache-2.0
// Archive and member comments: a small LZP-plus-Huffman scheme of their own, never encrypted.
// Part of platform/standins/unace.
#pragma once

#include <string>

namespace unace {

// The comment's raw bytes (in the creating machine's code page). Throws AceError on damage.
std::string decodeComment(const std::string& packed);

}  // namespace unace
