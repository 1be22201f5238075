// SPDX-License-Identifier: Apache-2.0
// velpack: the component's command line. The first argument names a subcommand; the rest
// goes to it. A subcommand is one file and one row in kSubcommands below.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/support/StandardOptions.h"
#include "tools/velpack/Subcommand.h"

namespace {
using velpack_tool::Subcommand;

// The dispatch table, in the order the usage text lists them.
const Subcommand* const kSubcommands[] = {
    &velpack_tool::kHe2Command, &velpack_tool::kZipCommand, &velpack_tool::kPatchCommand,
    &velpack_tool::kRarCommand, &velpack_tool::kAceCommand,
};

std::string allUsage() {
    std::string text;
    for (const Subcommand* command : kSubcommands) {
        if (!text.empty()) text += '\n';
        text += command->usage;
    }
    return text;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version")
        return *platform::answerStandardOptions(argc, argv, "velpack", {});
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return velpack_tool::usageError("missing subcommand", allUsage());
    if (velpack_tool::isHelpRequest(args[0])) return velpack_tool::printUsage(allUsage());
    for (const Subcommand* command : kSubcommands)
        if (command->name == args[0]) return command->run(std::span<const std::string>(args).subspan(1));
    return velpack_tool::usageError("unknown subcommand '" + args[0] + "'", allUsage());
}
