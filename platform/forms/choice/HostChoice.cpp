#include "platform/forms/choice/HostChoice.h"

#include <QApplication>
#include <cstdlib>

#include "platform/forms/console/ConsoleHost.h"
#include "platform/forms/qt/QtHost.h"
#include "platform/support/TextCase.h"

namespace platform::forms {

std::optional<std::string> processEnvironment(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

HostKind chooseHost(const Environment& environment) {
    if (auto ui = environment("QUILLON_UI"); ui && platform::equalsIgnoreCase(*ui, "console")) return HostKind::Console;
    auto set = [&](std::string_view name) {
        auto value = environment(name);
        return value && !value->empty();
    };
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) return HostKind::Console;
    return HostKind::Qt;
}

int runProgramOnChosenHost(int& argc, char** argv, const ProgramOptions& options, const std::function<void()>& start) {
    if (chooseHost() == HostKind::Console) {
        ConsoleHost host;
        HostScope scope(host);
        return runProgram(options, start);
    }
    QApplication application(argc, argv);
    QtHost host;
    HostScope scope(host);
    return runProgram(options, start);
}

}  // namespace platform::forms
