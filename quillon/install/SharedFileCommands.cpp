// SPDX-License-Identifier: Apache-2.0
#include "quillon/install/SharedFileCommands.h"

#include <cstdint>

#include <velpack/Velpack.h>
#include "platform/com/Creation.h"
#include "platform/com/Error.h"
#include "platform/forms/MessageBox.h"
#include "quillon/install/InstallRun.h"
#include "quillon/install/RunState.h"
#include "quillon/install/ScriptCommands.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace {

namespace forms = platform::forms;
using platform::com::False;
using platform::com::True;

void log(const std::string& text, const std::string& productKey) {
    WriteInstallLog(text, productKey);
}

bool fileExists(const std::string& path) {
    return toollib::gorsla().FileExists(path) != False;
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The process runner's fixed arguments, passed as they stand.
bool runProgram(const std::string& program, const std::string& arguments) {
    auto runner = toollib::makeProcessRunner();
    return runner->Run(program, 0, 1, 0, arguments, 4, 3, 2) != False;
}

// Compares the versions of the installed and the new file; a failed comparison is shown and
// counts as equal versions, so that the user decides in the next question.
std::int16_t compareVersions(const std::string& installed, const std::string& incoming) {
    try {
        return static_cast<std::int16_t>(toollib::gorslb().CompareFileVersions(installed, incoming));
    } catch (const platform::com::Error&) {
        forms::messageBox("Die Versionen der Dateien\r\n" + installed + "\r\nund\r\n" + incoming +
                              "\r\nkonnte nicht verglichen werden. Es wird angenommen, dass sie die gleiche Version "
                              "besitzen. Sie können im nächsten Dialogfeld die weitere Vorgehensweise bestimmen.",
                          forms::style::OkOnly | forms::style::Exclamation, "Versionsvergleich");
        return 0;
    }
}

// Whether the installed file is to be replaced by the new one.
bool decideReplacement(const std::string& installed, const std::string& incoming, const std::string& productKey) {
    const std::int16_t comparison = compareVersions(installed, incoming);
    if (comparison > 0) return true;
    if (comparison < 0) return false;
    const int answer = forms::messageBox(
        "Die Datei " + quoted(installed) +
            " ist bereits vorhanden und besitzt die gleiche Versionsnummer wie die zu installierende Datei. Möchten "
            "Sie die Datei erneut installieren?",
        forms::style::YesNo | forms::style::Question, "Datei erneut installieren");
    if (answer == forms::answer::Yes) {
        log("File version is the same; user prefers replacement.", productKey);
        return true;
    }
    log("File version is the same; user chooses to skip.", productKey);
    return false;
}

}  // namespace

void UpdateDllCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested) {
    const std::string& installed = A[0];
    const std::string& incoming = A[1];
    log("--> DLL_Update:", productKey);
    if (!fileExists(incoming)) {
        log("Error: source file (" + incoming + ") not found", productKey);
        return;
    }

    bool registerNow = false;
    if (!fileExists(installed)) {
        log("Installing shared file " + incoming + " to " + installed + " (though copy)...", productKey);
        ExecuteScriptCommand("COPY", incoming + ";" + installed, productKey, CancelRequested);
        // The new file is the only copy left when the copy failed: keep it.
        if (!fileExists(installed)) {
            log("Shared file not installed, so " + incoming + " is NOT deleted and nothing is registered.", productKey);
            return;
        }
        log("Deleting source file:", productKey);
        ExecuteScriptCommand("DELETE", incoming, productKey, CancelRequested);
        registerNow = true;
    } else {
        log("Updateing shared file " + installed + " with new file " + incoming + "...", productKey);
        if (!decideReplacement(installed, incoming, productKey)) {
            log("Existing file (" + installed + ") is newer or same (no update), but file will be re-registered anyway",
                productKey);
            log("Deleting source file:", productKey);
            ExecuteScriptCommand("DELETE", incoming, productKey, CancelRequested);
            registerNow = true;
        } else {
            auto& gorslb = toollib::gorslb();
            gorslb.ReplaceFile(installed, incoming);
            // The new file is still there when the installed one is in use.
            if (fileExists(incoming)) {
                log("Update done, but will need reboot", productKey);
                gorslb.CompleteRestartReplacement(incoming);
                sharedRunState().RebootRequired = true;
            } else {
                log("Update completed (file was not in use)", productKey);
                registerNow = true;
            }
        }
    }

    if (registerNow) {
        log("Registering...", productKey);
        ExecuteScriptCommand("REGDLL", installed, productKey, CancelRequested);
    } else {
        log("File not installed yet -> registering will be queued until reboot", productKey);
        settings::writeRunOnce(toollib::gorslb().UniqueName(), "regsvr32 /s " + quoted(installed));
    }
}

void RegDllCommand(const ScriptArguments& A, const std::string& productKey, bool&) {
    const std::string arguments = "/s " + quoted(A[0]);
    log("Registering file " + A[0] + " silently...", productKey);
    auto& gorslb = toollib::gorslb();
    (void)gorslb.ShellOpen("regsvr32", 0, "", arguments, "", toollib::kShowNormal);
    (void)runProgram(gorslb.SpecialFolder(toollib::kSystemFolderCode, 0, 0) + "\\regsvr32.exe", arguments);
}

void ImportRegCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested) {
    log("Importing registry file " + A[0] + "...", productKey);
    // No /s: the registry editor asks the user to confirm the import.
    if (!runProgram(toollib::gorslb().SpecialFolder(toollib::kWindowsFolderCode, 0, 0) + "\\regedit.exe",
                    quoted(A[0]))) {
        log("...failed (showing message).", productKey);
        forms::messageBox("Eine Datei konnte nicht korrekt import werden. Bitte importieren Sie die Datei " +
                              quoted(A[0]) + " manuell in die Registrierung.",
                          forms::style::OkOnly | forms::style::Exclamation, "Fehler beim Import");
        return;
    }
    log("Deleting registry file source:", productKey);
    ExecuteScriptCommand("DELETE", A[0], productKey, CancelRequested);
}

void PatchCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested) {
    auto module = platform::com::createObject<velpack::IPatchModule>(velpack::kPatchModuleProgId);
    velpack::Boolean requiresReboot = False;
    if (module->ApplyPatch(A[0], A[1], requiresReboot, True, False) != False) {
        log("Patch successfully applied to " + A[0], productKey);
        if (requiresReboot != False) sharedRunState().RebootRequired = true;
    } else {
        log("Error: could not apply patch to " + A[0], productKey);
    }
    log("Deleting patch module...", productKey);
    ExecuteScriptCommand("DELETE", A[1], productKey, CancelRequested);
}

}  // namespace quillon
