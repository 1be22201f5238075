// SPDX-License-Identifier: Apache-2.0
#include "tools/quillon-prefix/Boot.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/gorsl/gorslb/ChildProcess.h"
#include "platform/gorsl/gorslb/CommandLine.h"
#include "platform/gorsl/gorslb/FileReplacement.h"
#include "platform/prefix/Prefix.h"
#include "platform/registry/RegistryStore.h"
#include "platform/support/VisibleText.h"
#include "quillon/settings/RegistryLayout.h"

namespace tools {

namespace {
namespace reg = platform::registry;
constexpr const char* kSource = "quillon-prefix boot";

bool replaceFiles() {
    bool allDone = true;
    for (const auto& outcome : gorsl::performPendingRenames(kSource)) {
        const auto& r = outcome.rename;
        const std::string what =
            r.destination.empty() ? "delete " + r.source : "replace " + r.destination + " with " + r.source;
        if (outcome.error) {
            std::fprintf(stderr, "quillon-prefix: cannot %s: %s\n", platform::visibleText(what).c_str(),
                         outcome.error.message().c_str());
            allDone = false;
        } else {
            std::printf("done: %s\n", platform::visibleText(what).c_str());
        }
    }
    return allDone;
}

// Each value is a command line. Its value is deleted before it runs, or, when its name starts
// with "!", after it succeeded, as the host does.
bool runOnceCommands() {
    auto& store = reg::RegistryStore::forPrefix();
    bool allDone = true;
    for (const auto& value : store.values(reg::Hive::LocalMachine, quillon::settings::kRunOnceKey)) {
        const std::string command = value.value.asString();
        const bool deleteAfter = !value.name.empty() && value.name[0] == '!';
        if (!deleteAfter) store.deleteValue(reg::Hive::LocalMachine, quillon::settings::kRunOnceKey, value.name);
        auto program = resolveRunOnceCommand(command);
        std::optional<int> status;
        if (program) status = gorsl::runAndWait(program->program, program->arguments);
        if (!program || !status || *status != 0) {
            std::fprintf(stderr, "quillon-prefix: RunOnce %s: %s %s\n", platform::visibleText(value.name).c_str(),
                         platform::visibleText(command).c_str(),
                         !program  ? "(program not found)"
                         : !status ? "(did not run to its end)"
                                   : ("(exit status " + std::to_string(*status) + ")").c_str());
            allDone = false;
            continue;
        }
        if (deleteAfter) store.deleteValue(reg::Hive::LocalMachine, quillon::settings::kRunOnceKey, value.name);
        std::printf("ran: %s\n", platform::visibleText(command).c_str());
    }
    return allDone;
}
}  // namespace

std::optional<RunOnceCommand> resolveRunOnceCommand(std::string_view commandLine) {
    auto line = gorsl::splitCommandLine(commandLine);
    auto program = gorsl::findProgram(line.program);
    if (!program) return std::nullopt;
    return RunOnceCommand{std::move(*program), std::move(line.arguments)};
}

int bootPrefix() {
    try {
        // What killed runs left in the temporary folder goes first, as at the host's start.
        platform::prefix::removeStaleTemporaryFiles();
        bool replaced = replaceFiles();
        bool ran = runOnceCommands();
        return replaced && ran ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillon-prefix: %s\n", platform::visibleText(e.what()).c_str());
        return 1;
    }
}

}  // namespace tools
