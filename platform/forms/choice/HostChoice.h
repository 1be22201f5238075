// Which host a forms program runs on, and the program entry that makes it: the console host
// when QUILLON_UI=console or when there is no display (neither DISPLAY nor WAYLAND_DISPLAY
// set and QT_QPA_PLATFORM not set), the Qt host otherwise.
// Part of platform/forms/choice; depends on platform/forms, its console and Qt hosts.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/forms/Program.h"

namespace platform::forms {

enum class HostKind { Qt, Console };

using Environment = std::function<std::optional<std::string>(std::string_view name)>;
// The process environment.
std::optional<std::string> processEnvironment(std::string_view name);

HostKind chooseHost(const Environment& environment = processEnvironment);

// runProgram on the chosen host; for the Qt host it makes the application object first.
int runProgramOnChosenHost(int& argc, char** argv, const ProgramOptions& options, const std::function<void()>& start);

}  // namespace platform::forms
