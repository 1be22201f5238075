// SPDX-License-Identifier: Apache-2.0
#include "platform/support/PluginLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace platform {

Expected<void*> pluginEntry(const void* self, const char* file, const char* entry) {
    Dl_info holder{};
    if (::dladdr(self, &holder) == 0 || !holder.dli_fname) return Failure{"the folder of this library is unknown"};
    const std::string path = (std::filesystem::path(holder.dli_fname).parent_path() / file).string();
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return Failure{::dlerror()};
    void* address = ::dlsym(library, entry);
    if (!address) return Failure{path + " has no " + entry};
    return address;
}

}  // namespace platform
