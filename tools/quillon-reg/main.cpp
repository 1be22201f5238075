// SPDX-License-Identifier: Apache-2.0
// quillon-reg: the registry store of the current prefix from the command line, in reg.exe's
// syntax, so that a product's setup can register itself with one line.
//   quillon-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
//   quillon-reg query KEY [/v NAME | /ve] [/s]
//   quillon-reg delete KEY [/v NAME | /ve | /va] [/f]
//   quillon-reg import FILE
//   quillon-reg export KEY FILE [/y]
// Exit status 0 on success, 1 with the reason on standard error otherwise.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/registry/RegistryStore.h"
#include "platform/support/StandardOptions.h"
#include "platform/support/VisibleText.h"
#include "tools/quillon-reg/Arguments.h"
#include "tools/quillon-reg/Commands.h"

namespace reg = platform::registry;

int main(int argc, char** argv) {
    if (auto status = platform::answerStandardOptions(argc, argv, "quillon-reg", regtool::kUsage)) return *status;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(regtool::kUsage, stderr);
        return 1;
    }
    if (args[0] == "/?" || args[0] == "-?" || args[0] == "--help") {
        std::fputs(regtool::kUsage, stdout);
        return 0;
    }
    try {
        regtool::CommandLine line = regtool::parseCommandLine(args);
        reg::RegistryStore& store = reg::RegistryStore::forPrefix();
        if (line.operation == "query") return regtool::query(store, line);
        if (line.operation == "add") return regtool::add(store, line);
        if (line.operation == "delete") return regtool::remove(store, line);
        if (line.operation == "import") return regtool::import(store, line);
        return regtool::exportKey(store, line);
    } catch (const regtool::Problem& p) {
        std::fflush(stdout);
        std::fprintf(stderr, "ERROR: %s\n", platform::visibleText(p.message, platform::LineBreaks::Kept).c_str());
    } catch (const reg::StoreError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "ERROR: %s\n", platform::visibleText(e.what(), platform::LineBreaks::Kept).c_str());
    } catch (const platform::prefix::NoHomeFolder& e) {
        std::fprintf(stderr, "ERROR: %s\n", platform::visibleText(e.what(), platform::LineBreaks::Kept).c_str());
    }
    return 1;
}
