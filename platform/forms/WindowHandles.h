// SPDX-License-Identifier: Apache-2.0
// Window handles: numbers that name a live control, so that a library that knows only the
// number (a vendor library reporting progress, say) can set the control's text and the
// control sees the change at once, inside the call.
// Part of platform/forms; depends on the standard library only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::forms {

using WindowHandle = std::int32_t;  // 0 names no window

struct WindowCallbacks {
    std::function<void(std::string_view)> setText;  // runs the control's change handling before returning
    std::function<std::string()> getText;
};

// Gives a live control its handle; the control unregisters it when it goes away.
WindowHandle registerWindow(WindowCallbacks callbacks);
void unregisterWindow(WindowHandle handle);

// Sets the text of the window; false when no live window has that handle.
bool setWindowText(WindowHandle handle, std::string_view text);
std::optional<std::string> getWindowText(WindowHandle handle);

}  // namespace platform::forms
