// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/choice/QtPluginLoader.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace platform::forms {

namespace {
const QtPlugin* load() {
    Dl_info self{};
    if (::dladdr(reinterpret_cast<const void*>(&qtPlugin), &self) == 0 || !self.dli_fname) {
        std::fprintf(stderr, "the Qt host cannot be loaded: this library's folder is unknown\n");
        return nullptr;
    }
    const std::string file = (std::filesystem::path(self.dli_fname).parent_path() / kQtPluginFile).string();
    void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "the Qt host cannot be loaded: %s\n", ::dlerror());
        return nullptr;
    }
    // Stays loaded: Qt's objects live until the program ends.
    auto entry = reinterpret_cast<QtPluginEntry>(::dlsym(library, kQtPluginEntry));
    if (!entry) {
        std::fprintf(stderr, "the Qt host cannot be loaded: %s has no %s\n", file.c_str(), kQtPluginEntry);
        return nullptr;
    }
    return entry();
}
}  // namespace

const QtPlugin* qtPlugin() {
    static const QtPlugin* const plugin = load();
    return plugin;
}

}  // namespace platform::forms
