#include "quillon/install/SharedFileCommands.h"

#include "quillon/install/InstallRun.h"

namespace quillon {

namespace {
void notAvailable(const std::string& keyword, const std::string& productKey) {
    WriteInstallLog("Error: " + keyword + " is not available in this build; nothing was done.", productKey);
}
}  // namespace

void UpdateDllCommand(const ScriptArguments&, const std::string& productKey, bool&) {
    notAvailable("UPDATEDLL", productKey);
}

void RegDllCommand(const ScriptArguments&, const std::string& productKey, bool&) {
    notAvailable("REGDLL", productKey);
}

void ImportRegCommand(const ScriptArguments&, const std::string& productKey, bool&) {
    notAvailable("IMPORTREG", productKey);
}

void PatchCommand(const ScriptArguments&, const std::string& productKey, bool&) {
    notAvailable("PATCH", productKey);
}

}  // namespace quillon
