// SPDX-License-Identifier: Apache-2.0
#include "platform/com/Creation.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/com/Server.h"
#include "platform/prefix/Prefix.h"
#include "platform/registry/RegistryStore.h"

namespace platform::com {

namespace reg = platform::registry;

namespace {
constexpr auto HKCR = reg::Hive::ClassesRoot;

Error cannotCreate(std::string_view name, const std::string& why) {
    return Error(errc::CannotCreateObject, std::string(name),
                 standardDescription(errc::CannotCreateObject) + " '" + std::string(name) + "': " + why);
}

// Loaded server libraries stay loaded for the life of the process: objects handed out may
// outlive any count we could keep here.
void* loadLibrary(const std::string& path, std::string& error) {
    static std::mutex mutex;
    static std::map<std::string, void*> loaded;
    std::lock_guard lock(mutex);
    if (auto it = loaded.find(path); it != loaded.end()) return it->second;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* e = dlerror();
        error = e ? e : "unknown loader error";
        return nullptr;
    }
    loaded.emplace(path, handle);
    return handle;
}

Ptr<Unknown> create(const Guid& clsid, std::string_view name) {
    reg::RegistryStore* store = nullptr;
    try {
        store = &reg::RegistryStore::forPrefix();
    } catch (const reg::StoreError& e) {
        throw cannotCreate(name, e.what());
    }
    const std::string key = "CLSID\\" + clsid.toString() + "\\InprocServer32";
    std::string library = store->readText(HKCR, key, "", "");
    if (library.empty()) throw cannotCreate(name, "class not registered");
    std::string nativeLibrary = platform::prefix::toNative(library).string();
    std::string error;
    void* handle = loadLibrary(nativeLibrary, error);
    if (!handle) throw cannotCreate(name, "its library " + library + " cannot be loaded (" + error + ")");
    auto getClassObject = reinterpret_cast<GetClassObjectFunction>(dlsym(handle, "DllGetClassObject"));
    if (!getClassObject) throw cannotCreate(name, "its library " + library + " is not a server library");
    void* factoryPtr = nullptr;
    HResult result = getClassObject(&clsid, &IClassFactory::iid, &factoryPtr);
    if (result != hr::Ok || !factoryPtr)
        throw cannotCreate(name, "its library " + library + " does not serve the class");
    auto factory = Ptr<IClassFactory>::adopt(static_cast<IClassFactory*>(factoryPtr));
    return Ptr<Unknown>::adopt(static_cast<Unknown*>(factory->createInstance(Unknown::iid)));
}
}  // namespace

std::optional<Guid> clsidFromProgId(std::string_view progId) {
    auto& store = reg::RegistryStore::forPrefix();
    return Guid::parse(store.readText(HKCR, std::string(progId) + "\\CLSID", "", ""));
}

Ptr<Unknown> createObject(const Guid& clsid) {
    return create(clsid, clsid.toString());
}

Ptr<Unknown> createObject(std::string_view name) {
    if (auto clsid = Guid::parse(name)) return create(*clsid, name);
    std::optional<Guid> clsid;
    try {
        clsid = clsidFromProgId(name);
    } catch (const reg::StoreError& e) {
        throw cannotCreate(name, e.what());
    }
    if (!clsid) throw cannotCreate(name, "class not registered");
    return create(*clsid, name);
}

}  // namespace platform::com
