// SPDX-License-Identifier: Apache-2.0
#include "quillon/install/InstallRun.h"

#include <locale.h>
#include <clocale>
#include <ctime>

#include "platform/com/Conversion.h"
#include "platform/forms/MessageBox.h"
#include "quillon/ModMain.h"
#include "quillon/install/ScriptCommands.h"
#include "quillon/install/ScriptFile.h"
#include "quillon/install/ScriptPaths.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;

namespace {
// The current moment in the user's regional format (LC_TIME of the environment): short date,
// a blank, long time.
std::string localDateAndTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    locale_t regional = newlocale(LC_TIME_MASK, "", nullptr);
    if (!regional) regional = newlocale(LC_TIME_MASK, "C", nullptr);
    char text[128] = {};
    std::size_t length = regional ? strftime_l(text, sizeof text, "%x %X", &local, regional)
                                  : std::strftime(text, sizeof text, "%x %X", &local);
    if (regional) freelocale(regional);
    return std::string(text, length);
}

std::string runHeader() {
    return "=== PROTOKOLL VON " + localDateAndTime() + " UNTER " + toollib::gorslb().SystemDescription() + " ===";
}
}  // namespace

void RunInstallScript(const std::string& folder, const std::string& productKey) {
    executeInstallRun(folder, productKey);
}

InstallRunOutcome executeInstallRun(const std::string& folder, const std::string& productKey) {
    const std::string script = folder + "\\" + kInstallScriptName;
    if (toollib::gorsla().FileExists(script) == platform::com::False) {
        forms::messageBox("Das Update lieferte keine Informationen zur automatischen Installation.",
                          forms::style::OkOnly | forms::style::Exclamation, "Update-Fehler");
        return InstallRunOutcome::ScriptMissing;
    }
    WriteInstallLog("", productKey);
    WriteInstallLog(runHeader(), productKey);

    // Read whole and closed before the first command, which may touch the script's folder.
    const ScriptText text = readScriptFile(script);
    if (!text.error.empty())
        WriteInstallLog("Error: could not read the install script " + script + " (" + text.error + ")", productKey);
    bool CancelRequested = false;
    for (const std::string& line : text.lines) {
        const ScriptLine split = splitScriptLine(line);
        if (!split.blank) ExecuteScriptCommand(split.keyword, split.arguments, productKey, CancelRequested);
        if (CancelRequested) {
            forms::messageBox("Die Installation wurde abgebrochen.", forms::style::OkOnly | forms::style::Critical,
                              kProgramTitle);
            break;
        }
    }
    toollib::gorslb().DeleteFile(script);
    return CancelRequested ? InstallRunOutcome::Cancelled : InstallRunOutcome::Completed;
}

}  // namespace quillon
