// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/qt/QtPlugin.h"

#include <stdlib.h>

#include <QApplication>
#include <QLibraryInfo>

#include "platform/forms/qt/QtHost.h"

namespace platform::forms {
namespace {

int runOnQt(int& argc, char** argv, const char* platform, const ProgramOptions& options,
            const std::function<void()>& start) {
    ::setenv("QT_QPA_PLATFORM", platform, 1);
    QApplication application(argc, argv);
    QtHost host;
    HostScope scope(host);
    return runProgram(options, start);
}

std::string pluginsPath() {
    return QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString();
}

constexpr QtPlugin kPlugin{&runOnQt, &pluginsPath};

}  // namespace
}  // namespace platform::forms

extern "C" __attribute__((visibility("default"))) const platform::forms::QtPlugin* quillonFormsQtPlugin() {
    return &platform::forms::kPlugin;
}
