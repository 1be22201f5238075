// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/ZipSteps.h"

#include <zip.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/standins/addzip/Archive.h"
#include "platform/standins/addzip/Patterns.h"

namespace addzip {

namespace fs = std::filesystem;

namespace {

// libzip removes an archive that has no entries left; an empty archive is kept instead.
void writeEmptyArchive(const fs::path& native) {
    static const char empty[22] = {'P', 'K', 5, 6};
    if (std::FILE* f = std::fopen(native.c_str(), "wbx")) {
        std::fwrite(empty, 1, sizeof empty, f);
        std::fclose(f);
    }
}

}  // namespace

std::int16_t deleteFromArchive(const ZipSettings& settings, const fs::path& native, MessageWriter& writer) {
    PatternList include(settings.include);
    PatternList exclude(settings.exclude);
    if (include.empty()) {
        // Deleting without a list would empty the archive: nothing is deleted.
        writer.warning(settings.archiveName, WarningCode::NothingSelected);
        return 0;
    }
    AddZipCode code{};
    ArchiveUpdate archive(native, 0, code);
    if (!archive) {
        writer.error(settings.archiveName, code);
        return errorResult(writer);
    }
    std::vector<std::string> deleted;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (!raw) continue;
        std::string name = raw;
        std::string matchName = name;
        while (!matchName.empty() && (matchName.back() == '/' || matchName.back() == '\\')) matchName.pop_back();
        if (!isSelected(include, exclude, matchName)) continue;
        writer.send(MessageCode::Deleting, {"", name});
        if (zip_delete(archive.get(), static_cast<zip_uint64_t>(i)) == 0) deleted.push_back(name);
    }
    if (deleted.empty()) {
        writer.warning(settings.archiveName, WarningCode::NothingSelected);
        return 0;
    }
    bool emptied = static_cast<std::size_t>(count) == deleted.size();
    writer.send(MessageCode::Copying, {});
    if (!archive.commit()) {
        writer.error(settings.archiveName, AddZipCode::ArchiveNotWritten);
        return errorResult(writer);
    }
    if (emptied) writeEmptyArchive(native);
    writer.send(MessageCode::Copied, {});
    for (const std::string& name : deleted) writer.send(MessageCode::Deleted, {"", name});
    return writer.firstError() ? errorResult(writer) : countResult(deleted.size());
}

}  // namespace addzip
