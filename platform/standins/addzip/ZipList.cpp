// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/ZipSteps.h"

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/standins/addzip/Archive.h"
#include "platform/standins/addzip/CentralDirectory.h"
#include "platform/standins/addzip/EntryNames.h"

namespace addzip {

namespace fs = std::filesystem;

namespace {

std::string attributesText(const EntryMode& mode, bool directory) {
    std::string out;
    bool readOnly = (mode.dosAttributes & 0x01) || (mode.unixMode && !(mode.mode & S_IWUSR));
    if (readOnly) out += 'R';
    if (mode.dosAttributes & 0x02) out += 'H';
    if (mode.dosAttributes & 0x04) out += 'S';
    if (directory || (mode.dosAttributes & 0x10)) out += 'D';
    if (mode.dosAttributes & 0x20) out += 'A';
    return out;
}

std::string versionText(std::uint16_t version) {
    unsigned v = version & 0xff;
    return std::to_string(v / 10) + "." + std::to_string(v % 10);
}

// What an archiver needs to read the entry, when the directory could not tell.
std::uint16_t neededVersion(const zip_stat_t& st) {
    if (st.size >= 0xFFFFFFFFu || st.comp_size >= 0xFFFFFFFFu) return 45;
    switch (st.comp_method) {
        case ZIP_CM_STORE:
            return 10;
        case ZIP_CM_BZIP2:
            return 46;
        case ZIP_CM_LZMA:
        case ZIP_CM_XZ:
            return 63;
        default:
            return 20;
    }
}

}  // namespace

std::int16_t listArchive(const ZipSettings& settings, const fs::path& native, MessageWriter& writer) {
    AddZipCode code{};
    ArchivePtr archive = openArchive(native, ZIP_RDONLY, code);
    if (!archive) {
        writer.error(settings.archiveName, code);
        return errorResult(writer);
    }
    int commentLength = 0;
    const char* comment = zip_get_archive_comment(archive.get(), &commentLength, ZIP_FL_ENC_GUESS);
    if (comment && commentLength > 0) writer.send(MessageCode::ZipComment, {std::string_view(comment, commentLength)});

    std::vector<DirectoryFields> directory = readDirectoryFields(native);
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (directory.size() != static_cast<std::size_t>(std::max<zip_int64_t>(count, 0))) directory.clear();
    std::size_t listed = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        if (zip_stat_index(archive.get(), index, ZIP_FL_ENC_GUESS, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            writer.error("", AddZipCode::DamagedEntry);
            continue;
        }
        std::string_view name = st.name;
        if (!name.empty() && (name.back() == '/' || name.back() == '\\')) continue;  // folders are not listed
        ListedName listedAs = listedName(name);
        std::time_t modified = entryModified(archive.get(), index, st);
        EntryMode mode = entryMode(archive.get(), index);
        bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        std::uint16_t needed = directory.empty() ? neededVersion(st) : directory[index].needed;
        std::uint16_t madeBy = directory.empty() ? needed : directory[index].madeBy;
        bool binary = directory.empty() || !directory[index].text;
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(st.crc));
        writer.send(MessageCode::View,
                    {"", listedAs.path, listedAs.fileName, number(static_cast<std::int64_t>(st.size)),
                     number(static_cast<std::int64_t>(st.comp_size)), number(ratioPercent(st.size, st.comp_size)),
                     localTimeText(modified, "%Y-%m-%d"), localTimeText(modified, "%H:%M:%S"),
                     attributesText(mode, false), number(st.comp_method), encrypted ? "True" : "False", crc,
                     binary ? "1" : "0", versionText(madeBy), versionText(needed)});
        ++listed;
    }
    return writer.firstError() ? errorResult(writer) : countResult(listed);
}

}  // namespace addzip
