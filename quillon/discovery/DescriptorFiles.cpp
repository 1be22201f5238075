// SPDX-License-Identifier: Apache-2.0
#include "quillon/discovery/DescriptorFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/com/Conversion.h"
#include "platform/prefix/Prefix.h"
#include "platform/support/TextCase.h"
#include "platform/support/TextEncoding.h"

namespace quillon {

namespace {
constexpr std::string_view kIndexSignature = "adu1.0ov";
constexpr std::string_view kDescriptionSignature = "adu1.0sl";

bool signatureMatches(const std::vector<std::string>& lines, std::string_view signature) {
    return !lines.empty() && platform::asciiLower(platform::trimBlanks(lines[0])) == signature;
}

bool componentHolds(std::string_view component, std::int32_t installed) {
    if (component.empty()) return false;
    double number = platform::com::leadingNumber(component.substr(1));
    switch (component[0]) {
        case '=':
            return installed == number;
        case '<':
            return installed < number;
        case '>':
            return installed > number;
        default:
            return false;
    }
}

// A whole number in the 16-bit signed range, blanks around it allowed. Judged by its value:
// leading zeros ("0000001") are as good as none.
bool isSmallWholeNumber(std::string_view text) {
    text = platform::trimBlanks(text);
    bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    if (text.empty()) return false;
    long magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        magnitude = std::min(magnitude * 10 + (c - '0'), 100000L);  // capped: far out of range stays out
    }
    return magnitude <= (negative ? 32768 : 32767);
}
}  // namespace

std::vector<std::string> splitDescriptorLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::vector<std::string> readDescriptorLines(const std::string& path) {
    std::ifstream in(platform::prefix::toNative(path), std::ios::binary);
    if (!in) return {};
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return splitDescriptorLines(platform::decodeExternalText(bytes));
}

std::optional<bool> conditionHolds(std::string_view line, const InstalledVersion& installed) {
    std::size_t first = line.find('.');
    std::size_t last = line.rfind('.');
    if (first == std::string_view::npos || first == last) return std::nullopt;
    std::string_view major = line.substr(0, first);
    std::string_view minor = line.substr(first + 1, last - first - 1);
    std::string_view revision = line.substr(last + 1);
    return componentHolds(major, installed.major) && componentHolds(minor, installed.minor) &&
           componentHolds(revision, installed.revision);
}

std::string ReadUpdateIndex(const std::string& path, std::int32_t verMaj, std::int32_t verMin, std::int32_t verRev) {
    return updateIndexTarget(readDescriptorLines(path), {verMaj, verMin, verRev});
}

std::string updateIndexTarget(const std::vector<std::string>& lines, const InstalledVersion& installed) {
    if (!signatureMatches(lines, kIndexSignature) || lines.size() < 2) return {};
    for (std::size_t i = 2; i < lines.size(); i += 2) {
        if (i + 1 >= lines.size()) return {};  // a condition without its target line
        auto holds = conditionHolds(lines[i], installed);
        if (!holds) return {};  // fewer than two dots
        if (*holds) return lines[i + 1];
    }
    return {};
}

std::optional<UpdateDescription> parseUpdateDescription(const std::vector<std::string>& lines) {
    if (!signatureMatches(lines, kDescriptionSignature) || lines.size() < 6) return std::nullopt;
    if (!isSmallWholeNumber(lines[3])) return std::nullopt;
    return UpdateDescription{lines[3], lines[4], lines[5]};
}

}  // namespace quillon
