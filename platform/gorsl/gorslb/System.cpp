// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/System.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/com/Error.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/common/Errors.h"
#include "platform/gorsl/gorslb/FileReplacement.h"
#include "platform/gorsl/gorslb/KnownFolders.h"
#include "platform/gorsl/gorslb/PeVersion.h"
#include "platform/gorsl/gorslb/Placeholders.h"
#include "platform/gorsl/gorslb/RegistryAccess.h"
#include "platform/gorsl/gorslb/Shell.h"
#include "platform/gorsl/gorslb/ShortPath.h"
#include "platform/gorsl/gorslb/SystemDescription.h"
#include "platform/gorsl/gorslb/UniqueNames.h"
#include "platform/prefix/Prefix.h"

namespace gorsl {

namespace {
using platform::com::toBoolean;

FileVersion versionOf(const std::string& path) {
    const auto native = platform::prefix::toNative(path);
    struct stat info {};
    if (path.empty() || ::stat(native.c_str(), &info) != 0)
        throw fileError(kGorslbSource, "read the version of", path,
                        std::make_error_code(std::errc::no_such_file_or_directory));
    auto version = readFileVersion(native);
    if (!version)
        throw platform::com::Error(kVersionNotReadable, kGorslbSource,
                                   "version not readable: " + path + " (" + version.error() + ")");
    return *version;
}

void deleteFile(const std::string& path) {
    if (path.empty()) return;
    const auto native = platform::prefix::toNative(path);
    struct stat info {};
    if (::lstat(native.c_str(), &info) != 0) return;  // nothing there: nothing to do
    if (S_ISDIR(info.st_mode))
        throw fileError(kGorslbSource, "delete", path, std::make_error_code(std::errc::is_a_directory));
    if (::unlink(native.c_str()) != 0 && errno != ENOENT)
        throw fileError(kGorslbSource, "delete", path, {errno, std::generic_category()});
}

class System final : public platform::com::Object<IGorslb> {
public:
    Boolean Ready() override { return platform::com::True; }
    std::string RegistryRead(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                             const std::string& defaultValue) override {
        return registryRead(hive, keyPath, valueName, defaultValue, kGorslbSource);
    }
    void RegistryWrite(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                       const std::string& value, std::int32_t type) override {
        registryWrite(hive, keyPath, valueName, value, type, kGorslbSource);
    }
    void CreateKey(std::int32_t hive, const std::string& keyPath) override { createKey(hive, keyPath, kGorslbSource); }
    std::string SpecialFolder(std::int32_t code, std::int32_t, std::int32_t) override {
        return specialFolder(code, kGorslbSource);
    }
    std::string TempFileName(const std::string& name) override { return temporaryFileName(name); }
    void DeleteFile(const std::string& path) override { deleteFile(path); }
    void ShellDelete(const std::string& path, std::int32_t flags, std::int32_t) override {
        shellDelete(path, flags, kGorslbSource);
    }
    std::string SystemDescription() override { return systemDescription(); }
    std::int32_t CompareFileVersions(const std::string& existingFile, const std::string& newFile) override {
        const FileVersion existing = versionOf(existingFile);
        const FileVersion incoming = versionOf(newFile);
        return incoming > existing ? 1 : incoming < existing ? -1 : 0;
    }
    Boolean ShellOpen(const std::string& file, std::int32_t, const std::string& verb, const std::string& parameters,
                      const std::string& directory, std::int32_t) override {
        return toBoolean(shellOpen(file, verb, parameters, directory));
    }
    void ReplaceFile(const std::string& target, const std::string& newFile) override {
        replaceFile(target, newFile, kGorslbSource);
    }
    void CompleteRestartReplacement(const std::string& newFile) override {
        completeRestartReplacement(newFile, kGorslbSource);
    }
    std::string UniqueName() override { return uniqueName(); }
    std::string ExpandPlaceholders(const std::string& text) override { return expandPlaceholders(text); }
    std::string ShortPath(const std::string& path) override { return shortPath(path, kGorslbSource); }
    std::int32_t OwnerWindow() override { return 0; }
    Boolean RestartComputer(std::int32_t, std::int32_t, std::int32_t mode) override {
        return toBoolean(restartComputer(mode, kGorslbSource));
    }
};
}  // namespace

platform::com::Ptr<platform::com::Unknown> createSystem() {
    return platform::com::make<System>();
}

}  // namespace gorsl
