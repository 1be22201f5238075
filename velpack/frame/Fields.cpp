// SPDX-License-Identifier: Apache-2.0
#include "velpack/frame/Fields.h"

#include "platform/com/Conversion.h"
#include "platform/com/Error.h"

namespace velpack {

std::string GetField(std::string_view text, std::string_view separator, std::int32_t index) {
    if (separator.empty()) throw platform::com::Error::invalidArgument("GetField");
    std::string rest(text);
    rest += separator;
    std::size_t pos = rest.find(separator);
    std::int16_t field = 1;
    std::size_t start = 0;
    while (field != index) {
        start = pos + separator.size();
        pos = rest.find(separator, start);
        if (pos == std::string::npos) return {};
        if (field == 32767) throw platform::com::Error::overflow("GetField");
        ++field;
    }
    return rest.substr(start, pos - start);
}

std::int16_t GetCallbackCode(std::string_view message) {
    return platform::com::textToInteger(GetField(message, "|", 2));
}

}  // namespace velpack
