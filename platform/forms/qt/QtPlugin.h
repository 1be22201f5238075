// SPDX-License-Identifier: Apache-2.0
// The Qt host as a plugin library, loaded only by a program that runs on Qt, so that a run on
// the console host never loads Qt: the plugin's file, its one entry point and what it offers.
// No Qt here.
// Part of platform/forms/qt; depends on platform/forms.
#pragma once

#include <functional>
#include <string>

#include "platform/forms/Program.h"

namespace platform::forms {

struct QtPlugin {
    // runProgram on a QtHost, with the application object made first, straight on `platform`
    // (set as QT_QPA_PLATFORM), not through the ones before it in a list.
    int (*runProgram)(int& argc, char** argv, const char* platform, const ProgramOptions& options,
                      const std::function<void()>& start);
    // Qt's folder of plugins (QLibraryInfo::PluginsPath).
    std::string (*pluginsPath)();
};

// The plugin lies beside the library that loads it.
inline constexpr const char* kQtPluginFile = "libquillon-forms-qt-plugin.so";
inline constexpr const char* kQtPluginEntry = "quillonFormsQtPlugin";
using QtPluginEntry = const QtPlugin* (*)();

}  // namespace platform::forms
