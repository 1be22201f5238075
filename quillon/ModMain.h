// SPDX-License-Identifier: Apache-2.0
// The wizard's start procedure, its command line and its run state, and the pages it owns.
// The run state lives for the whole run; the pages read and write it directly.
// Part of quillon; depends on quillon/discovery, quillon/toollib and platform/forms.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quillon/discovery/FoundUpdate.h"
#include "quillon/install/RunState.h"

namespace quillon {

class frmProductSelection;
class frmSearchProgress;
class FrmFoundUpdates;
class frmDownloadProgress;

enum RunModes : std::int32_t { RunInteractive = 0, RunSearchOnly = 1, RunDirectUpdate = 2 };

// The program's display name, the caption of its pages and the title of its messages.
inline constexpr const char* kProgramTitle = "Quillon";

// The command line split into its mode word and the rest, both trimmed (empty when the line is).
struct CommandLine {
    std::string modeWord;  // lower case
    std::string rest;
};

class ModMain {
public:
    ModMain();
    ~ModMain();
    ModMain(const ModMain&) = delete;
    ModMain& operator=(const ModMain&) = delete;

    // The start procedure: reads the command line, announces the program and opens the first
    // page of the run mode. In the interactive mode it returns with the product selection page
    // shown; in the other two it returns when their page has done its work and is unloaded.
    void Main(std::string_view commandLine);

    // Run state
    std::int32_t RunMode = RunInteractive;
    std::vector<std::string> ProductKeys;
    FoundUpdateList FoundUpdates;
    // Shared with the install run, which reaches them without the wizard (quillon/install).
    bool& RebootRequired = sharedRunState().RebootRequired;
    std::string& InstallLogFolder = sharedRunState().InstallLogFolder;

    frmProductSelection& productSelection() { return *productSelection_; }
    frmSearchProgress& searchProgress() { return *searchProgress_; }
    FrmFoundUpdates& foundUpdates() { return *foundUpdates_; }
    frmDownloadProgress& downloadProgress() { return *downloadProgress_; }

    // The start-up checks of the tool libraries and of the component, in the order Gorsla,
    // Gorslb, Gorsld, Velpack. The first that fails is reported with the check message and
    // ends the program at once.
    void CheckLibraries();
    // Sets InstallLogFolder to the Common Files folder's Orvane\InstallLogs and makes it.
    void SetUpInstallLogFolder();

    // The mode word and the rest of a command line, split by the tool library.
    static CommandLine ParseCommandLine(std::string_view commandLine);

private:
    std::unique_ptr<frmProductSelection> productSelection_;
    std::unique_ptr<frmSearchProgress> searchProgress_;
    std::unique_ptr<FrmFoundUpdates> foundUpdates_;
    std::unique_ptr<frmDownloadProgress> downloadProgress_;
};

// The text of the start-up check message for a library file ("Gorslb.dll").
std::string LibraryCheckMessage(std::string_view file, std::int32_t number, std::string_view description);

}  // namespace quillon
