#include "platform/standins/addzip/EntryNames.h"

namespace addzip {

namespace {
bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

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
}  // namespace

CheckedName checkEntryName(std::string_view name) {
    CheckedName out;
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

ListedName listedName(std::string_view entryName) {
    std::string name(entryName);
    for (char& c : name)
        if (c == '/') c = '\\';
    while (!name.empty() && name.back() == '\\') name.pop_back();
    std::size_t slash = name.rfind('\\');
    if (slash == std::string::npos) return {"", name};
    return {name.substr(0, slash), name.substr(slash + 1)};
}

bool linkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target) {
    if (target.empty() || isSeparator(target.front())) return false;
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

std::string storedPath(std::string_view path) {
    // "\\server\share\rest" keeps "server/share/rest"; "C:\rest" and "/rest" keep "rest".
    std::vector<std::string_view> parts = splitPath(path);
    std::vector<std::string_view> kept;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string_view part = parts[i];
        if (i == 0 && isDrive(part)) part = part.substr(2);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string out;
    for (std::string_view part : kept) {
        if (!out.empty()) out += '/';
        out += part;
    }
    return out;
}

}  // namespace addzip
