// SPDX-License-Identifier: Apache-2.0
// Whether a Qt platform can really show windows here: an X display or a Wayland socket that
// accepts a connection (with the platform plugin to drive it), so that a program falls back
// to the console host instead of aborting on a display that cannot be opened.
// Part of platform/forms/choice; depends on libxcb (loaded when a display is named), the Qt
// host's plugin (for Qt's plugin folder) and POSIX.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::forms {

using Environment = std::function<std::optional<std::string>(std::string_view name)>;

// Tries the platform named as in QT_QPA_PLATFORM (options after ":" ignored): "xcb" connects
// to $DISPLAY and completes the X handshake; "wayland..." connects to the compositor's socket
// and needs the Qt plugin; platforms that need no display ("offscreen", "minimal", ...) open
// when their plugin is there. The connection is closed again.
bool platformOpens(std::string_view platform, const Environment& environment);

}  // namespace platform::forms
