// SPDX-License-Identifier: Apache-2.0
// The install run of one unpacked update and the product's install log: the two entries the
// download-and-install page and the script commands use.
// Part of quillon/install; depends on quillon/toollib, platform/forms and platform/prefix.
#pragma once

#include <string>

namespace quillon {

// Runs the install script "aupdate.inf" of `folder` (Windows-style, normally the install temp
// folder) for the product. A missing script shows the "Update-Fehler" box and logs nothing.
// Otherwise the product's log gets an empty line and the run header, every non-blank script
// line is executed in order until one asks for cancellation (then the box "Die Installation
// wurde abgebrochen." is shown once), and the script file is deleted, cancelled or not.
// The caller learns nothing of the outcome; RebootRequired of the shared run state may be set.
void RunInstallScript(const std::string& folder, const std::string& productKey);

// How a run ended, for programs that run scripts outside the wizard's pages.
enum class InstallRunOutcome { ScriptMissing, Completed, Cancelled };
// RunInstallScript, telling how the run ended.
InstallRunOutcome executeInstallRun(const std::string& folder, const std::string& productKey);

// InstallLogFolder + "\UpdateLog " + key + ".txt", the folder set up first when it is not yet.
std::string installLogPath(const std::string& productKey);

// Appends the text and CR LF to the product's log, InstallLogFolder + "\UpdateLog " + key +
// ".txt", opening and closing the file for this one line so that it is on disk at once. When
// InstallLogFolder is not set up yet it is set up first (the Common Files folder's
// "Orvane\InstallLogs"), and a missing log folder is made. A log that still cannot be written
// raises error 75, which ends the program with the run-time error report.
void WriteInstallLog(const std::string& text, const std::string& productKey);

// Sets InstallLogFolder to the Common Files folder + "\Orvane\InstallLogs" and makes the folder.
void SetUpInstallLogFolder();

}  // namespace quillon
