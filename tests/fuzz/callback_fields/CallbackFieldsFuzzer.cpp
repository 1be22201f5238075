// SPDX-License-Identifier: Apache-2.0
// Any text as a callback message, and any separator and field number: a field is a piece of
// the text without the separator in it, and the only errors raised are invalid argument (5)
// and overflow (6).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/com/Error.h"
#include "velpack/frame/Fields.h"

namespace {

void expectOnlyExpectedErrors(const auto& call) {
    try {
        call();
    } catch (const platform::com::Error& e) {
        if (e.number() != 5 && e.number() != 6) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    expectOnlyExpectedErrors([&] { (void)velpack::GetCallbackCode(input); });
    if (size < 5) return 0;

    // Layout: separator length (0 to 3), the field number (4 bytes), the separator, the text.
    std::size_t separatorLength = data[0] % 4;
    std::int32_t index = 0;
    std::memcpy(&index, data + 1, 4);
    input.remove_prefix(5);
    if (input.size() < separatorLength) return 0;
    std::string_view separator = input.substr(0, separatorLength);
    std::string_view text = input.substr(separatorLength);
    expectOnlyExpectedErrors([&] {
        std::string field = velpack::GetField(text, separator, index);
        if (field.empty()) return;
        if (text.find(field) == std::string_view::npos) std::abort();
        if (field.find(separator) != std::string::npos) std::abort();
    });
    return 0;
}
