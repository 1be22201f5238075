// SPDX-License-Identifier: Apache-2.0
// regsvr32 [/s] [/u] FILE: loads a server library and calls its DllRegisterServer or
// DllUnregisterServer. Without /s the outcome is reported in a message box (German, like the
// rest of the system's user interface).
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "platform/com/Server.h"
#include "platform/prefix/Prefix.h"
#include "platform/support/StandardOptions.h"
#include "platform/support/TextCase.h"
#include "tools/common/Report.h"

namespace {
constexpr const char* kTitle = "RegSvr32";

constexpr const char* kUsage =
    "Usage: regsvr32 [/s] [/u] FILE\n  /u  unregister the server\n  /s  silent; no message box";

int usage() {
    tools::report(kTitle, kUsage, tools::ReportKind::Error, true);
    return 1;
}

char hexBuffer[16];
const char* hex(platform::com::HResult r) {
    std::snprintf(hexBuffer, sizeof hexBuffer, "0x%08x", static_cast<unsigned>(r));
    return hexBuffer;
}
}  // namespace

int run(int argc, char** argv) {
    bool silent = false, unregister = false;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg[0] == '/' || arg[0] == '-') && arg.size() == 2) {
            std::string flag = platform::asciiLower(arg.substr(1));
            if (flag == "s")
                silent = true;
            else if (flag == "u")
                unregister = true;
            else
                return usage();
        } else if (file.empty()) {
            file = arg;
        } else {
            return usage();
        }
    }
    if (file.empty()) return usage();

    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::string native = platform::prefix::toNative(file).string();
    void* handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        tools::report(kTitle, "Das Modul \"" + file + "\" konnte nicht geladen werden.\n\n" + (why ? why : ""),
                      tools::ReportKind::Error, silent);
        return 1;
    }
    auto function = reinterpret_cast<platform::com::RegisterServerFunction>(dlsym(handle, entry));
    if (!function) {
        tools::report(
            kTitle,
            "Das Modul \"" + file + "\" wurde geladen, aber der Einstiegspunkt " + entry + " wurde nicht gefunden.",
            tools::ReportKind::Error, silent);
        return 1;
    }
    platform::com::HResult result = function();
    if (result != platform::com::hr::Ok) {
        std::string message = std::string("Der Aufruf von ") + entry + " in \"" + file + "\" ist mit dem Fehlercode " +
                              hex(result) + " fehlgeschlagen.";
        // Our own libraries say why; another library's status code is all there is.
        if (auto reason =
                reinterpret_cast<platform::com::RegistrationErrorFunction>(dlsym(handle, "DllRegistrationError")))
            if (const char* text = reason(); text && *text) message += std::string("\n\n") + text;
        tools::report(kTitle, message, tools::ReportKind::Error, silent);
        return 1;
    }
    tools::report(kTitle, std::string(entry) + " in " + file + " erfolgreich.", tools::ReportKind::Information, silent);
    return 0;
}

int main(int argc, char** argv) {
    if (auto status = platform::answerStandardOptions(argc, argv, "regsvr32", kUsage)) return *status;
    return tools::runWithMessageBoxes(argc, argv, kTitle, [&] { return run(argc, argv); });
}
