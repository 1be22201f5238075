// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/SystemDescription.h"

#include <sys/utsname.h>

#include <fstream>

namespace gorsl {

std::string prettyNameFrom(const std::filesystem::path& osRelease) {
    std::ifstream in(osRelease);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
        std::string value = line.substr(12);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        std::string unescaped;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) ++i;
            unescaped += value[i];
        }
        return unescaped;
    }
    return {};
}

std::string systemDescription() {
    std::string name = prettyNameFrom("/etc/os-release");
    if (name.empty()) name = prettyNameFrom("/usr/lib/os-release");
    if (name.empty()) name = "Unknown system";
    utsname system{};
    if (::uname(&system) == 0)
        name += std::string(" (") + system.sysname + " " + system.release + " " + system.machine + ")";
    return name;
}

}  // namespace gorsl
