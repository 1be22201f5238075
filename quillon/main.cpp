// SPDX-License-Identifier: Apache-2.0
// Quillon, the update wizard: the program entry. The command line is the arguments joined by
// blanks, as the wizard's start procedure reads it.
#include <string>

#include "platform/forms/choice/HostChoice.h"
#include "platform/prefix/Prefix.h"
#include "platform/support/StandardOptions.h"
#include "quillon/ModMain.h"

namespace {
constexpr const char* kUsage =
    "usage: quillon                        the interactive wizard\n"
    "       quillon s PRODUCTKEY           search-only run for one product\n"
    "       quillon u PRODUCTKEY TYPE DATA direct update of one named update (type 1 archive, 2 web page)\n"
    "The prefix is $QUILLON_PREFIX (see quillon-prefix where); QUILLON_UI=console forces the console host.\n";
}  // namespace

int main(int argc, char** argv) {
    if (auto status = platform::answerStandardOptions(argc, argv, "quillon", kUsage)) return *status;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    quillon::ModMain wizard;
    return platform::forms::runProgramOnChosenHost(argc, argv, {quillon::kProgramTitle}, [&] {
        // Temporary files of runs that were killed, before this run makes its own.
        platform::prefix::removeStaleTemporaryFiles();
        wizard.Main(commandLine);
    });
}
