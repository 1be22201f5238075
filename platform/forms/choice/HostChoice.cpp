// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/choice/HostChoice.h"

#include <cstdlib>
#include <vector>

#include "platform/forms/choice/QtPluginLoader.h"
#include "platform/forms/console/ConsoleHost.h"
#include "platform/support/TextCase.h"

namespace platform::forms {

namespace {

std::vector<std::string> candidatePlatforms(const Environment& environment) {
    const std::string list = environment("QT_QPA_PLATFORM").value_or("");
    std::vector<std::string> platforms;
    for (std::size_t start = 0; start < list.size();) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        std::string_view entry = platform::trimBlanks(std::string_view(list).substr(start, end - start));
        if (!entry.empty()) platforms.emplace_back(entry);
        start = end + 1;
    }
    if (platforms.empty()) platforms = {"xcb", "wayland"};
    return platforms;
}

}  // namespace

std::optional<std::string> processEnvironment(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

HostChoice chooseHost(const Environment& environment, const PlatformProbe& opens) {
    if (auto ui = environment("QUILLON_UI"); ui && platform::equalsIgnoreCase(*ui, "console"))
        return {HostKind::Console, {}};
    for (const std::string& candidate : candidatePlatforms(environment))
        if (opens(candidate, environment)) return {HostKind::Qt, candidate};
    return {HostKind::Console, {}};
}

int runProgramOnChosenHost(int& argc, char** argv, const ProgramOptions& options, const std::function<void()>& start,
                           Windows windows) {
    HostChoice choice = windows == Windows::Never ? HostChoice{HostKind::Console, {}} : chooseHost();
    // A platform opens only when the Qt host's plugin has loaded (the probe asks it for Qt's
    // plugin folder), so it is there.
    const QtPlugin* qt = choice.kind == HostKind::Qt ? qtPlugin() : nullptr;
    if (!qt) {
        ConsoleHost host;
        HostScope scope(host);
        return runProgram(options, start);
    }
    return qt->runProgram(argc, argv, choice.platform.c_str(), options, start);
}

}  // namespace platform::forms
