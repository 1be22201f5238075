// SPDX-License-Identifier: Apache-2.0
#include "quillon/pages/UnpackUpdate.h"

#include <filesystem>

#include <velpack/Velpack.h>
#include "platform/com/Creation.h"
#include "platform/com/Events.h"
#include "platform/prefix/Prefix.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace fs = std::filesystem;

bool EmptyFolder(const std::string& folder) {
    const fs::path native = platform::prefix::toNative(folder);
    std::error_code error;
    for (fs::directory_iterator it(native, error), end; !error && it != end; it.increment(error)) {
        std::error_code removed;
        fs::remove_all(it->path(), removed);  // removes a link itself, not what it points at
    }
    if (error) return false;
    return fs::is_empty(native, error) && !error;
}

bool UnpackUpdate(const std::string& archivePath, velpack::IZIPFileEvents* events) {
    auto zip = platform::com::createObject<velpack::IZIPFile>(velpack::kZIPFileProgId);
    if (events)
        if (auto source = zip.query<platform::com::IEventSource>())
            source->advise(velpack::IZIPFileEvents::iid, events);
    zip->put_ArchiveName(archivePath);
    zip->View();
    if (zip->get_ZipContents()->Count() == 0) return false;
    const std::string folder = toollib::gorslb().SpecialFolder(toollib::kInstallTempFolderCode, 0, 0);
    if (!EmptyFolder(folder)) return false;
    zip->Extract(folder, "", "");
    return true;
}

}  // namespace quillon
