// SPDX-License-Identifier: Apache-2.0
// Any bytes as an update index and as an update description. The first 12 bytes give the
// installed version. Lines never hold a CR; a chosen target is one of the file's lines; an
// accepted description has a line 4 in the 16-bit range.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/com/Conversion.h"
#include "platform/support/TextEncoding.h"
#include "quillon/discovery/DescriptorFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillon::InstalledVersion installed;
    if (size >= 12) {
        std::memcpy(&installed, data, 12);
        data += 12;
        size -= 12;
    }
    const std::string text = platform::decodeExternalText({reinterpret_cast<const char*>(data), size});
    const auto lines = quillon::splitDescriptorLines(text);
    for (const auto& line : lines)
        if (line.find('\r') != std::string::npos) std::abort();

    const std::string target = quillon::updateIndexTarget(lines, installed);
    if (!target.empty()) {
        bool found = false;
        for (std::size_t i = 3; i < lines.size(); i += 2) found = found || lines[i] == target;
        if (!found) std::abort();
    }
    for (const auto& line : lines) (void)quillon::conditionHolds(line, installed);

    if (auto description = quillon::parseUpdateDescription(lines)) {
        if (lines.size() < 6 || description->updateType != lines[3]) std::abort();
        double type = platform::com::leadingNumber(description->updateType);
        if (type < -32768 || type > 32767) std::abort();
    }
    return 0;
}
