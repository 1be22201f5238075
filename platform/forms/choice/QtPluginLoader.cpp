// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/choice/QtPluginLoader.h"

#include <cstdio>

#include "platform/support/PluginLibrary.h"

namespace platform::forms {

const QtPlugin* qtPlugin() {
    static const QtPlugin* const plugin = []() -> const QtPlugin* {
        auto entry = platform::pluginEntry(reinterpret_cast<const void*>(&qtPlugin), kQtPluginFile, kQtPluginEntry);
        if (!entry) {
            std::fprintf(stderr, "the Qt host cannot be loaded: %s\n", entry.error().c_str());
            return nullptr;
        }
        return reinterpret_cast<QtPluginEntry>(*entry)();
    }();
    return plugin;
}

}  // namespace platform::forms
