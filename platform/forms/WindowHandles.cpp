// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/WindowHandles.h"

#include <map>
#include <memory>
#include <mutex>

namespace platform::forms {

namespace {
struct Table {
    std::mutex mutex;
    std::map<WindowHandle, std::shared_ptr<WindowCallbacks>> windows;
    WindowHandle last = 0x10000;  // handles look like window handles, never 0
};
Table& table() {
    static Table t;
    return t;
}

std::shared_ptr<WindowCallbacks> find(WindowHandle handle) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.windows.find(handle);
    return it == t.windows.end() ? nullptr : it->second;
}
}  // namespace

WindowHandle registerWindow(WindowCallbacks callbacks) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.last += 4;
    t.windows.emplace(t.last, std::make_shared<WindowCallbacks>(std::move(callbacks)));
    return t.last;
}

void unregisterWindow(WindowHandle handle) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.windows.erase(handle);
}

bool setWindowText(WindowHandle handle, std::string_view text) {
    // The callbacks run without the lock: a change handler may create or destroy windows.
    auto window = find(handle);
    if (!window || !window->setText) return false;
    window->setText(text);
    return true;
}

std::optional<std::string> getWindowText(WindowHandle handle) {
    auto window = find(handle);
    if (!window || !window->getText) return std::nullopt;
    return window->getText();
}

}  // namespace platform::forms
