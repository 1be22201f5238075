// SPDX-License-Identifier: Apache-2.0
#include "platform/com/Server.h"

#include <dlfcn.h>

#include <atomic>
#include <string>

#include "platform/com/Error.h"
#include "platform/registry/RegistryStore.h"

namespace platform::com {

namespace reg = platform::registry;

namespace {
std::atomic<long> liveObjects{0};
constexpr auto HKCR = reg::Hive::ClassesRoot;

class ClassFactory final : public Object<IClassFactory> {
public:
    explicit ClassFactory(const ClassInfo& info) : info_(info) {}
    void* createInstance(const Guid& id) override {
        Ptr<Unknown> object = info_.create();
        void* typed = object->queryInterface(id);
        if (!typed)
            throw Error(errc::InterfaceNotSupported, info_.progId, standardDescription(errc::InterfaceNotSupported));
        return typed;
    }

private:
    const ClassInfo& info_;
};
}  // namespace

void ObjectCounter::increment() noexcept {
    ++liveObjects;
}
void ObjectCounter::decrement() noexcept {
    --liveObjects;
}
long ObjectCounter::count() noexcept {
    return liveObjects.load();
}

std::filesystem::path libraryPathOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname) return {};
    std::error_code ec;
    auto path = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::filesystem::absolute(info.dli_fname) : path;
}

HResult registerServer(const ServerInfo& server, const std::filesystem::path& libraryPath) {
    try {
        auto& store = reg::RegistryStore::forPrefix();
        const std::string libid = server.typeLibrary.libid.toString();
        const std::string library = libraryPath.string();
        store.transaction([&] {
            const std::string typeLibKey = "TypeLib\\" + libid + "\\" + server.typeLibrary.version;
            store.setValue(HKCR, typeLibKey, "", reg::Value::string(server.typeLibrary.helpString));
            store.setValue(HKCR, typeLibKey + "\\0\\win32", "", reg::Value::string(library));
            store.setValue(HKCR, typeLibKey + "\\FLAGS", "", reg::Value::string("0"));
            store.setValue(HKCR, typeLibKey + "\\HELPDIR", "", reg::Value::string(libraryPath.parent_path().string()));
            for (const auto& cls : server.classes) {
                const std::string clsid = cls.clsid.toString();
                const std::string key = "CLSID\\" + clsid;
                store.setValue(HKCR, key, "", reg::Value::string(cls.progId));
                store.setValue(HKCR, key + "\\InprocServer32", "", reg::Value::string(library));
                store.setValue(HKCR, key + "\\InprocServer32", "ThreadingModel", reg::Value::string("Apartment"));
                store.setValue(HKCR, key + "\\ProgID", "", reg::Value::string(cls.progId));
                store.setValue(HKCR, key + "\\TypeLib", "", reg::Value::string(libid));
                store.setValue(HKCR, key + "\\VERSION", "", reg::Value::string(server.typeLibrary.version));
                store.setValue(HKCR, cls.progId, "", reg::Value::string(cls.progId));
                store.setValue(HKCR, std::string(cls.progId) + "\\CLSID", "", reg::Value::string(clsid));
            }
            for (const auto& itf : server.interfaces) {
                const std::string key = "Interface\\" + itf.iid.toString();
                store.setValue(HKCR, key, "", reg::Value::string(itf.name));
                store.setValue(HKCR, key + "\\TypeLib", "", reg::Value::string(libid));
                store.setValue(HKCR, key + "\\TypeLib", "Version", reg::Value::string(server.typeLibrary.version));
            }
        });
        lastRegistrationError().clear();
        return hr::Ok;
    } catch (const std::exception& e) {
        lastRegistrationError() = e.what();
        return hr::RegistrationFailed;
    }
}

std::string& lastRegistrationError() {
    thread_local std::string text;
    return text;
}

HResult unregisterServer(const ServerInfo& server) {
    try {
        auto& store = reg::RegistryStore::forPrefix();
        store.transaction([&] {
            for (const auto& cls : server.classes) {
                store.deleteKey(HKCR, "CLSID\\" + cls.clsid.toString(), reg::Subtree::Delete);
                store.deleteKey(HKCR, cls.progId, reg::Subtree::Delete);
            }
            for (const auto& itf : server.interfaces)
                store.deleteKey(HKCR, "Interface\\" + itf.iid.toString(), reg::Subtree::Delete);
            store.deleteKey(HKCR, "TypeLib\\" + server.typeLibrary.libid.toString(), reg::Subtree::Delete);
        });
        lastRegistrationError().clear();
        return hr::Ok;
    } catch (const std::exception& e) {
        lastRegistrationError() = e.what();
        return hr::RegistrationFailed;
    }
}

HResult getClassObject(const ServerInfo& server, const Guid* clsid, const Guid* iid, void** out) {
    if (!out || !clsid || !iid) return hr::Fail;
    *out = nullptr;
    for (const auto& cls : server.classes) {
        if (cls.clsid == *clsid) {
            auto factory = make<ClassFactory>(cls);
            *out = factory->queryInterface(*iid);
            return *out ? hr::Ok : hr::NoInterface;
        }
    }
    return hr::ClassNotAvailable;
}

HResult canUnloadNow() {
    return ObjectCounter::count() == 0 ? hr::Ok : hr::False;
}

}  // namespace platform::com
