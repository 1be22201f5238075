// SPDX-License-Identifier: Apache-2.0
// Field splitting for the component's callback messages.
// Part of velpack/frame; depends on platform/com.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velpack {

// Field number `index` (from 1) of `text` split at `separator`; the empty text when the
// fields run out first or the field is empty. The field counter is 16-bit: counting past
// 32,767 fields raises "Overflow" (error 6). An empty separator is an invalid argument.
std::string GetField(std::string_view text, std::string_view separator, std::int32_t index);

// The whole-number value of field 2 of a callback message (separator "|"): its leading
// decimal number, 0 for non-numeric text, rounded to 16 bits ("Overflow" beyond).
std::int16_t GetCallbackCode(std::string_view message);

}  // namespace velpack
