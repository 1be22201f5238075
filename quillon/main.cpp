// Quillon, the update wizard: the program entry. The command line is the arguments joined by
// blanks, as the wizard's start procedure reads it.
#include <string>

#include "platform/forms/choice/HostChoice.h"
#include "platform/prefix/Prefix.h"
#include "quillon/ModMain.h"

int main(int argc, char** argv) {
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
