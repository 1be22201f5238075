// SPDX-License-Identifier: Apache-2.0
// velpack patch apply FILE PATCH: brings FILE up to date in place through PatchModule, with
// its error messages shown (paths as given). The patch module reaches the tool libraries
// through the current prefix, so this subcommand needs an initialised prefix.
#include <cstdio>
#include <string>

#include <velpack/Velpack.h>
#include "platform/com/Error.h"
#include "platform/support/VisibleText.h"
#include "tools/common/Report.h"
#include "tools/velpack/Subcommand.h"
#include "velpack/frame/Factories.h"

namespace velpack_tool {
namespace {

constexpr std::string_view kUsage = "velpack patch apply FILE PATCH";

int applyPatch(const std::string& file, const std::string& patch) {
    try {
        auto module = velpack::createPatchModule().query<velpack::IPatchModule>();
        velpack::Boolean requiresReboot = platform::com::False;
        if (!module->ApplyPatch(file, patch, requiresReboot, platform::com::True, platform::com::False)) {
            return failure("patch", "the patch was not applied to " + file);
        }
        if (requiresReboot) {
            std::printf("%s is in use: it will be replaced at the next start (quillon-prefix boot)\n",
                        platform::visibleText(file).c_str());
        } else {
            std::printf("patched: %s\n", platform::visibleText(file).c_str());
        }
        return kExitSuccess;
    } catch (const platform::com::Error& e) {
        return componentFailure("patch", e);
    }
}

int runPatch(std::span<const std::string> args) {
    if (args.size() != 3 || args[0] != "apply") return usageError("patch: expected apply FILE PATCH", kUsage);
    int argc = 1;
    char name[] = "velpack";
    char* argv[] = {name, nullptr};
    return tools::runWithMessageBoxes(argc, argv, "velpack", [&] { return applyPatch(args[1], args[2]); });
}

}  // namespace

const Subcommand kPatchCommand{"patch", kUsage, &runPatch};

}  // namespace velpack_tool
