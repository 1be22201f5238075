// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/extract/EntryNames.h"

namespace extract {

namespace {
bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

}  // namespace

std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || isSeparator(path[i])) {
            parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool isDrive(std::string_view component) {
    if (component.size() < 2 || component[1] != ':') return false;
    char c = component[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool hasControlCharacter(std::string_view rawName) {
    for (char c : rawName) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) return true;
    }
    return false;
}

CheckedName checkEntryName(std::string_view name) {
    CheckedName out;
    if (hasControlCharacter(name)) {
        out.problem = NameProblem::ControlCharacter;
        return out;
    }
    if (name.empty()) {
        out.problem = NameProblem::Empty;
        return out;
    }
    if (isSeparator(name.front())) {
        out.problem = NameProblem::Absolute;
        return out;
    }
    out.directory = isSeparator(name.back());
    std::vector<std::string_view> parts = splitPath(name);
    if (isDrive(parts.front())) {
        out.problem = NameProblem::DriveLetter;
        return out;
    }
    for (std::string_view part : parts) {
        if (part == "..") {
            out.problem = NameProblem::ParentReference;
            out.components.clear();
            return out;
        }
        if (part.empty() || part == ".") continue;
        out.components.emplace_back(part);
    }
    if (out.components.empty()) out.problem = NameProblem::Empty;
    return out;
}

bool linkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target) {
    if (target.empty() || target.front() == '/' || target.find('\\') != std::string_view::npos ||
        hasControlCharacter(target))
        return false;
    std::vector<std::string_view> parts = splitPath(target);
    if (isDrive(parts.front())) return false;
    // The link's folder is depth components below the extraction folder.
    long depth = static_cast<long>(linkComponents.size()) - 1;
    for (std::string_view part : parts) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (--depth < 0) return false;
        } else {
            ++depth;
        }
    }
    return true;
}

namespace {
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && !(isSeparator(a[i]) && isSeparator(b[i]))) return false;
    return true;
}
}  // namespace

TargetSplit splitAtEntryName(std::string_view target, std::string_view entryName) {
    if (!entryName.empty() && target.size() >= entryName.size()) {
        const std::size_t cut = target.size() - entryName.size();
        if (sameName(target.substr(cut), entryName) && (cut == 0 || isSeparator(target[cut - 1])))
            return {target.substr(0, cut), target.substr(cut)};
    }
    const std::size_t sep = target.find_last_of("\\/");
    if (sep == std::string_view::npos) return {{}, target};
    return {target.substr(0, sep + 1), target.substr(sep + 1)};
}

}  // namespace extract
