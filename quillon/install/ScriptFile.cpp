// SPDX-License-Identifier: Apache-2.0
#include "quillon/install/ScriptFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/prefix/Prefix.h"
#include "platform/support/TextCase.h"
#include "platform/support/TextEncoding.h"
#include "quillon/discovery/DescriptorFiles.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

std::vector<std::string> scriptLines(std::string_view bytes) {
    // Descriptor files and scripts end their lines the same way.
    return splitDescriptorLines(platform::decodeExternalText(bytes));
}

ScriptText readScriptFile(const std::string& path) {
    ScriptText text;
    std::ifstream in(platform::prefix::toNative(path), std::ios::binary);
    if (!in) {
        text.error = std::strerror(errno);
        return text;
    }
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxScriptBytes) {
            text.error = "larger than " + std::to_string(kMaxScriptBytes) + " bytes";
            return text;
        }
    }
    if (in.bad()) {
        text.error = "read error";
        return text;
    }
    text.lines = scriptLines(bytes);
    return text;
}

ScriptLine splitScriptLine(const std::string& line) {
    ScriptLine split;
    const std::string_view trimmed = platform::trimBlanks(line);
    if (trimmed.empty()) return split;
    split.blank = false;
    if (line.find(' ') == std::string::npos) {
        split.keyword = platform::foldCase(trimmed);
        return split;
    }
    auto& gorsla = toollib::gorsla();
    split.keyword = platform::foldCase(gorsla.FirstWord(line));
    split.arguments = std::string(platform::trimBlanks(gorsla.RestAfterFirstWord(line)));
    return split;
}

}  // namespace quillon
