// SPDX-License-Identifier: Apache-2.0
// A test-only server library that stands in front of the real Gorsla and Gorsld classes: it
// forwards every call to the real object and appends one line per call to the file named by
// QUILLON_TEST_CALL_LOG, so that tests see which calls a program made, in which order, also
// across processes. With QUILLON_TEST_INTERNET=unavailable the Internet client's Open fails,
// as it does on a machine without Internet functions.
// Installed by tests/support/Recording.h, which keeps the real library's path under
// HKCR\CLSID\{clsid}\RealServer.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/com/Error.h"
#include "platform/com/Server.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/LibraryIds.h"
#include "platform/registry/RegistryStore.h"

namespace recording {
namespace {
using namespace gorsl;
using platform::com::Error;
namespace com = platform::com;

void record(const std::string& line) {
    const char* path = std::getenv("QUILLON_TEST_CALL_LOG");
    if (!path || !*path) return;
    int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string text = line + "\n";
    (void)!::write(fd, text.data(), text.size());
    ::close(fd);
}

// The real object behind a recorder, made from the library kept under RealServer.
template <class I>
Ptr<I> makeReal(const Guid& clsid) {
    auto& store = platform::registry::RegistryStore::forPrefix();
    std::string path =
        store.readText(platform::registry::Hive::ClassesRoot, "CLSID\\" + clsid.toString(), "RealServer", "");
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) throw Error(429, "RecordingTools", "cannot load the real library " + path);
    auto getClassObject = reinterpret_cast<com::GetClassObjectFunction>(dlsym(lib, "DllGetClassObject"));
    void* factory = nullptr;
    if (!getClassObject || getClassObject(&clsid, &com::IClassFactory::iid, &factory) != com::hr::Ok)
        throw Error(429, "RecordingTools", "the real library " + path + " does not serve the class");
    auto f = Ptr<com::IClassFactory>::adopt(static_cast<com::IClassFactory*>(factory));
    return Ptr<I>::adopt(static_cast<I*>(f->createInstance(I::iid)));
}

class Gorsla final : public com::Object<IGorsla> {
public:
    Gorsla() : real_(makeReal<IGorsla>(CLSID_GorslaTools)) {}
    Boolean Ready() override { return real_->Ready(); }
    void AnnounceProgram(const std::string& name, const std::string& version, const std::string& folder,
                         const std::string& fileName) override {
        record("Gorsla.AnnounceProgram " + name + "|" + version + "|" + folder + "|" + fileName);
        real_->AnnounceProgram(name, version, folder, fileName);
    }
    std::string FirstWord(const std::string& t) override { return real_->FirstWord(t); }
    std::string RestAfterFirstWord(const std::string& t) override { return real_->RestAfterFirstWord(t); }
    std::string DropLeading(const std::string& t, std::int32_t n) override { return real_->DropLeading(t, n); }
    std::string DropTrailing(const std::string& t, std::int32_t n) override { return real_->DropTrailing(t, n); }
    Boolean FileExists(const std::string& p) override { return real_->FileExists(p); }
    std::string FileNamePart(const std::string& p, std::int32_t r) override { return real_->FileNamePart(p, r); }
    std::string FolderPart(const std::string& p) override { return real_->FolderPart(p); }
    void CreateFolder(const std::string& p) override { real_->CreateFolder(p); }
    void CopyFile(const std::string& s, const std::string& d, Boolean o) override { real_->CopyFile(s, d, o); }
    void WriteTextFile(const std::string& p, const std::string& t) override { real_->WriteTextFile(p, t); }
    Boolean TruthValue(Boolean v) override { return real_->TruthValue(v); }
    void PrepareOutputFile(const std::string& p) override { real_->PrepareOutputFile(p); }
    Ptr<IStringCollection> SplitText(const std::string& t, const std::string& s, std::int32_t f) override {
        return real_->SplitText(t, s, f);
    }
    std::string FixedTextToString(const std::string& f) override { return real_->FixedTextToString(f); }
    Boolean CollectionContains(IStringCollection* c, const std::string& t) override {
        return real_->CollectionContains(c, t);
    }

private:
    Ptr<IGorsla> real_;
};

class InternetClient final : public com::Object<IInternetClient> {
public:
    InternetClient() : real_(makeReal<IInternetClient>(CLSID_InternetClient)) {}
    Boolean Open(const std::string& agent, std::int32_t access, const std::string& proxy, std::int32_t flags) override {
        record("Gorsld.Open " + agent + "|" + std::to_string(access) + "|" + proxy + "|" + std::to_string(flags));
        const char* internet = std::getenv("QUILLON_TEST_INTERNET");
        if (internet && std::string(internet) == "unavailable") return com::False;
        return real_->Open(agent, access, proxy, flags);
    }
    Boolean Connect(std::int32_t service, const std::string& host, std::int32_t port, const std::string& user,
                    const std::string& password, std::int32_t flags, std::int32_t context) override {
        record("Gorsld.Connect " + std::to_string(service) + "|" + host + "|" + std::to_string(port) + "|" + user +
               "|" + password + "|" + std::to_string(flags) + "|" + std::to_string(context));
        return real_->Connect(service, host, port, user, password, flags, context);
    }
    Boolean ChangeDirectory(const std::string& path) override {
        record("Gorsld.ChangeDirectory " + path);
        return real_->ChangeDirectory(path);
    }
    Boolean GetFile(const std::string& remote, const std::string& local, Boolean failIfExists, std::int32_t a,
                    std::int32_t f, std::int32_t c) override {
        record("Gorsld.GetFile " + remote + "|" + local + "|" + std::to_string(failIfExists));
        return real_->GetFile(remote, local, failIfExists, a, f, c);
    }
    std::string LastErrorText() override {
        record("Gorsld.LastErrorText");
        return real_->LastErrorText();
    }
    void Close() override {
        record("Gorsld.Close");
        real_->Close();
    }
    void TrustCertificateAuthorities(const std::string& caFile) override {
        record("Gorsld.TrustCertificateAuthorities " + caFile);
        real_->TrustCertificateAuthorities(caFile);
    }

private:
    Ptr<IInternetClient> real_;
};

Ptr<Unknown> createGorsla() {
    return platform::com::make<Gorsla>();
}
Ptr<Unknown> createInternetClient() {
    return platform::com::make<InternetClient>();
}

constexpr com::ClassInfo kClasses[] = {
    {CLSID_GorslaTools, kGorslaProgId, &createGorsla},
    {CLSID_InternetClient, kInternetClientProgId, &createInternetClient},
};
const com::ServerInfo& serverInfo() {
    static const com::ServerInfo info{{Guid::literal("5E0A7F51-2B7C-4C39-9D0E-2A7B9C1F0E01"), "RecordingTools",
                                       "Recording stand-ins for tests", "1.0"},
                                      kClasses,
                                      {}};
    return info;
}
}  // namespace
}  // namespace recording

QUILLON_COM_SERVER(recording::serverInfo)
