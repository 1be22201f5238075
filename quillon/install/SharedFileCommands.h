// The commands that replace shared files after a version check, register components, import
// registry files and apply binary patches. They are dispatched by the script interpreter with
// its arguments (at least as many as each reads) and come back through ExecuteScriptCommand
// for their nested steps.
// Not built yet: each writes one log line saying so and changes nothing.
// Part of quillon/install; depends on quillon/install's log.
#pragma once

#include <string>

#include "quillon/install/ScriptArguments.h"

namespace quillon {

// UPDATEDLL A1 installed shared file; A2 new file.
void UpdateDllCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// REGDLL A1 component file.
void RegDllCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// IMPORTREG A1 registry file.
void ImportRegCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// PATCH A1 file to patch; A2 patch data file.
void PatchCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);

}  // namespace quillon
