// SPDX-License-Identifier: Apache-2.0
// Any text through the leading-number reading and the narrowing conversions: the number is
// never NaN, a conversion either gives the rounded value or raises Overflow (6), and the
// text of a converted number reads back as the same number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/com/Conversion.h"
#include "platform/com/Error.h"

namespace com = platform::com;

namespace {

template <class Convert>
void checkNarrowing(double number, double low, double high, Convert convert) {
    const double rounded = std::isfinite(number) ? std::nearbyint(number) : number;
    const bool fits = std::isfinite(number) && rounded >= low && rounded <= high;
    try {
        auto value = convert();
        if (!fits || value != rounded) std::abort();
        if (com::leadingNumber(std::to_string(value)) != static_cast<double>(value)) std::abort();
    } catch (const com::Error& e) {
        if (fits || e.number() != 6) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double number = com::leadingNumber(text);
    if (std::isnan(number)) std::abort();
    checkNarrowing(number, -32768, 32767, [&] { return com::textToInteger(text); });
    checkNarrowing(number, -2147483648.0, 2147483647.0, [&] { return com::textToLong(text); });
    return 0;
}
