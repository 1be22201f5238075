// SPDX-License-Identifier: Apache-2.0
// The commands that replace shared files after a version check, register components, import
// registry files and apply binary patches. They are dispatched by the script interpreter with
// its arguments (at least as many as each reads) and come back through ExecuteScriptCommand
// for their nested steps (COPY, DELETE, REGDLL). Errors of the tool library are not caught,
// except the version comparison's.
// Part of quillon/install; depends on quillon/toollib, platform/forms and the component's
// interfaces (velpack/include, objects made through platform/com).
#pragma once

#include <string>

#include "quillon/install/ScriptArguments.h"

namespace quillon {

// UPDATEDLL A1 installed shared file; A2 new file. Installs A2 when A1 is missing; otherwise
// replaces A1 when A2 carries the higher version (or the user wants equal versions
// reinstalled), at the next start when A1 is in use (RebootRequired is then set and the
// registration queued in RunOnce); registers A1. When the first installation's copy did not
// produce A1, A2 is kept and nothing is registered.
void UpdateDllCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// REGDLL A1 component file: regsvr32 /s through the shell, then through the process runner.
// Whether registration succeeded is not learnt.
void RegDllCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// IMPORTREG A1 registry file: the Windows folder's regedit.exe with the quoted file (it asks
// for confirmation). Deletes the file after a successful run; a failed run keeps it and shows
// the "Fehler beim Import" box.
void ImportRegCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// PATCH A1 file to patch; A2 patch data file: Velpack's PatchModule with its own error boxes.
// A2 is deleted whatever the outcome; RebootRequired is set only when the patch was applied
// and the replacement waits for the next start.
void PatchCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);

}  // namespace quillon
