// SPDX-License-Identifier: Apache-2.0
// Server libraries: the class table a library publishes, its registration under HKCR of the
// registry store, its class factory and the four C entry points every server library
// exports (DllRegisterServer, DllUnregisterServer, DllGetClassObject, DllCanUnloadNow).
// Part of the component runtime; depends on platform/registry.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "Unknown.h"

namespace platform::com {

using HResult = std::int32_t;
namespace hr {
inline constexpr HResult Ok = 0;
inline constexpr HResult False = 1;
inline constexpr HResult Fail = static_cast<HResult>(0x80004005u);
inline constexpr HResult NoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult ClassNotAvailable = static_cast<HResult>(0x80040111u);
inline constexpr HResult RegistrationFailed = static_cast<HResult>(0x80040201u);
}  // namespace hr

struct ClassInfo {
    Guid clsid;
    const char* progId;  // "Velpack.ZIPFile"
    // Makes a new object and hands out its first reference; may throw Error.
    Ptr<Unknown> (*create)();
};

struct InterfaceInfo {
    Guid iid;
    const char* name;  // "_ZIPFile"
};

struct TypeLibraryInfo {
    Guid libid;
    const char* name;        // "Velpack"
    const char* helpString;  // "ORVANE Compression DLL"
    const char* version;     // "1.0"
};

struct ServerInfo {
    TypeLibraryInfo typeLibrary;
    std::span<const ClassInfo> classes;
    std::span<const InterfaceInfo> interfaces;
};

// Makes objects of one class.
struct IClassFactory : Unknown {
    static constexpr Guid iid = Guid::literal("00000001-0000-0000-C000-000000000046");
    // Returns the new object as interface `id` with one reference, or throws Error.
    virtual void* createInstance(const Guid& id) = 0;
};

// What the entry points do; the QUILLON_COM_SERVER macro wires them to a library.
HResult registerServer(const ServerInfo& server, const std::filesystem::path& libraryPath);
HResult unregisterServer(const ServerInfo& server);
// Why the last registration or unregistration on this thread failed; empty after a success.
// The entry point DllRegistrationError hands it to regsvr32, which the status code alone
// would leave with nothing to tell the user.
std::string& lastRegistrationError();
using RegistrationErrorFunction = const char* (*)();
HResult getClassObject(const ServerInfo& server, const Guid* clsid, const Guid* iid, void** out);
HResult canUnloadNow();
// The absolute path of the shared object that holds `address`.
std::filesystem::path libraryPathOf(const void* address);

using RegisterServerFunction = HResult (*)();
using GetClassObjectFunction = HResult (*)(const Guid*, const Guid*, void**);

}  // namespace platform::com

// Defines the four entry points of a server library from a function returning its ServerInfo.
#define QUILLON_COM_SERVER(serverInfoFunction)                                                                      \
    extern "C" __attribute__((visibility("default"))) platform::com::HResult DllRegisterServer() {                  \
        return platform::com::registerServer(                                                                       \
            serverInfoFunction(), platform::com::libraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer))); \
    }                                                                                                               \
    extern "C" __attribute__((visibility("default"))) platform::com::HResult DllUnregisterServer() {                \
        return platform::com::unregisterServer(serverInfoFunction());                                               \
    }                                                                                                               \
    extern "C" __attribute__((visibility("default"))) platform::com::HResult DllGetClassObject(                     \
        const platform::com::Guid* clsid, const platform::com::Guid* iid, void** out) {                             \
        return platform::com::getClassObject(serverInfoFunction(), clsid, iid, out);                                \
    }                                                                                                               \
    extern "C" __attribute__((visibility("default"))) platform::com::HResult DllCanUnloadNow() {                    \
        return platform::com::canUnloadNow();                                                                       \
    }                                                                                                               \
    extern "C" __attribute__((visibility("default"))) const char* DllRegistrationError() {                          \
        return platform::com::lastRegistrationError().c_str();                                                      \
    }
