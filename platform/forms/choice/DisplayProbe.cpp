// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/choice/DisplayProbe.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms/choice/QtPluginLoader.h"

namespace platform::forms {

namespace {

namespace fs = std::filesystem;

std::string valueOf(const Environment& environment, std::string_view name) {
    return environment(name).value_or("");
}

// libxcb is loaded only when a display is named: a console run needs none of it.
struct Xcb {
    void* (*connect)(const char* display, int* screen) = nullptr;
    int (*hasError)(void* connection) = nullptr;
    void (*disconnect)(void* connection) = nullptr;
};

const Xcb* xcb() {
    static const Xcb* const loaded = []() -> const Xcb* {
        void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!library) return nullptr;
        static Xcb functions;
        functions.connect = reinterpret_cast<decltype(Xcb::connect)>(::dlsym(library, "xcb_connect"));
        functions.hasError = reinterpret_cast<decltype(Xcb::hasError)>(::dlsym(library, "xcb_connection_has_error"));
        functions.disconnect = reinterpret_cast<decltype(Xcb::disconnect)>(::dlsym(library, "xcb_disconnect"));
        if (!functions.connect || !functions.hasError || !functions.disconnect) return nullptr;
        return &functions;
    }();
    return loaded;
}

bool xDisplayOpens(const Environment& environment) {
    const std::string display = valueOf(environment, "DISPLAY");
    if (display.empty()) return false;
    const Xcb* x = xcb();
    if (!x) return false;
    void* connection = x->connect(display.c_str(), nullptr);
    const bool opened = connection && x->hasError(connection) == 0;
    x->disconnect(connection);  // also frees a connection in its error state
    return opened;
}

bool waylandSocketOpens(const Environment& environment) {
    std::string name = valueOf(environment, "WAYLAND_DISPLAY");
    if (name.empty()) name = "wayland-0";
    std::string path = name;
    if (name.front() != '/') {
        const std::string runtime = valueOf(environment, "XDG_RUNTIME_DIR");
        if (runtime.empty()) return false;
        path = runtime + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool opened = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return opened;
}

// Qt's platform plugins are named libq<platform>.so ("wayland" has several: libqwayland-*.so).
bool pluginExists(std::string_view platform, const Environment& environment) {
    std::vector<fs::path> folders;
    std::string extra = valueOf(environment, "QT_PLUGIN_PATH");
    for (std::size_t start = 0; start < extra.size();) {
        std::size_t colon = extra.find(':', start);
        if (colon == std::string::npos) colon = extra.size();
        if (colon > start) folders.emplace_back(extra.substr(start, colon - start));
        start = colon + 1;
    }
    // Without the Qt host's plugin Qt cannot run here, whatever plugins there are.
    const QtPlugin* qt = qtPlugin();
    if (!qt) return false;
    folders.emplace_back(qt->pluginsPath());
    const std::string prefix = "libq" + std::string(platform);
    for (const fs::path& folder : folders) {
        std::error_code ec;
        for (fs::directory_iterator it(folder / "platforms", ec), end; !ec && it != end; it.increment(ec)) {
            const std::string file = it->path().filename().string();
            if (file.starts_with(prefix) && file.ends_with(".so")) return true;
        }
    }
    return false;
}

}  // namespace

bool platformOpens(std::string_view platform, const Environment& environment) {
    platform = platform.substr(0, platform.find(':'));
    if (platform == "xcb") return xDisplayOpens(environment) && pluginExists(platform, environment);
    if (platform.starts_with("wayland")) return waylandSocketOpens(environment) && pluginExists(platform, environment);
    return !platform.empty() && pluginExists(platform, environment);
}

}  // namespace platform::forms
