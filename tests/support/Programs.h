// SPDX-License-Identifier: Apache-2.0
// Running the built programs, and this test binary itself, as child processes.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A program of the build tree: bin/, or libexec/quillon/ for the stand-ins regedit and regsvr32.
std::filesystem::path program(const std::string& name);

struct ProgramResult {
    int status = -1;  // exit status; -1 when it did not start or was killed by a signal
    std::string out;  // standard output
    std::string err;  // standard error
};

struct RunOptions {
    std::string input;                                             // fed to standard input
    std::vector<std::pair<std::string, std::string>> environment;  // added or replaced
    std::filesystem::path workingDirectory;                        // empty: inherit
    int timeoutSeconds = 120;                                      // then the child is killed
};

// Runs the program and waits for it, collecting its output.
ProgramResult runProgram(const std::filesystem::path& path, const std::vector<std::string>& args,
                         const RunOptions& options = {});

// Waits (up to a minute) until the file exists: for effects of programs started without
// waiting, which write their file under another name and rename it when complete.
bool waitForFile(const std::filesystem::path& path);

// The running test binary, for tests that re-run themselves as the child process.
std::filesystem::path selfExecutable();

}  // namespace testing_support
