// SPDX-License-Identifier: Apache-2.0
// Which host a forms program runs on, and the program entry that makes it: the console host
// when QUILLON_UI=console, for a run that must never open a window, or when no display really
// opens; the Qt host otherwise. A display that is named but cannot be opened (a stale DISPLAY)
// falls back to the console instead of ending the program. The Qt host is a plugin, loaded only
// when the program runs on Qt (or a probe needs to know Qt's plugin folder).
// Part of platform/forms/choice; depends on platform/forms, its console host and the Qt host's plugin.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/forms/Program.h"
#include "platform/forms/choice/DisplayProbe.h"

namespace platform::forms {

enum class HostKind { Qt, Console };

// Whether the program may open windows at all; a silent run (/s) never does.
enum class Windows { Allowed, Never };

struct HostChoice {
    HostKind kind;
    std::string platform;  // for the Qt host: the Qt platform that opened
};

// The process environment.
std::optional<std::string> processEnvironment(std::string_view name);

using PlatformProbe = std::function<bool(std::string_view platform, const Environment& environment)>;

// The platforms tried are those of QT_QPA_PLATFORM in order ("a;b" lists several), or "xcb"
// and "wayland" when it is not set; the first that opens is chosen.
HostChoice chooseHost(const Environment& environment = processEnvironment, const PlatformProbe& opens = platformOpens);

// runProgram on the chosen host; for the Qt host it makes the application object first, on
// the platform that opened.
int runProgramOnChosenHost(int& argc, char** argv, const ProgramOptions& options, const std::function<void()>& start,
                           Windows windows = Windows::Allowed);

}  // namespace platform::forms
