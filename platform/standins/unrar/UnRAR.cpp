// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unrar/UnRAR.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/standins/unrar/RarExtraction.h"
#include "platform/standins/unrar/RarReader.h"
#include "platform/standins/unrar/RarTargets.h"
#include "platform/standins/unrar/RarVolumes.h"
#include "platform/support/Utf8.h"

struct UnrarArchive {
    std::string name;
    std::unique_ptr<unrar::RarReader> reader;
    std::string password;
    UnrarChangeVolumeProc changeVolume = nullptr;
    // The entry whose header was read last, until it is processed.
    bool haveEntry = false;
    unrar::EntryHeader entry;
    std::string shownName;  // the entry's name as the header record gave it
    unrar::RarExtraction extraction;
};

namespace {

constexpr std::size_t kTextField = 260;
constexpr std::uint32_t kRar4Version = 29;
constexpr std::uint32_t kRar5Version = 50;

// Copies text into a fixed field, NUL-terminated, cut before a character that would not fit
// whole.
void copyField(std::string_view text, char (&field)[kTextField]) {
    std::size_t length = 0;
    while (length < text.size()) {
        char32_t codePoint = 0;
        std::size_t step = platform::decodeUtf8At(text, length, codePoint);
        if (step == 0) step = 1;
        if (length + step > kTextField - 1) break;
        length += step;
    }
    std::memset(field, 0, kTextField);
    std::memcpy(field, text.data(), length);
}

std::uint32_t dosTime(std::time_t time) {
    std::tm tm{};
    if (!localtime_r(&time, &tm) || tm.tm_year < 80) return 0;
    return static_cast<std::uint32_t>(((tm.tm_year - 80) << 25) | ((tm.tm_mon + 1) << 21) | (tm.tm_mday << 16) |
                                      (tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

void fillHeader(const UnrarArchive& archive, RARHeaderData& header) {
    const unrar::EntryHeader& entry = archive.entry;
    header = RARHeaderData{};
    copyField(archive.name, header.ArcName);
    copyField(archive.shownName, header.FileName);
    if (entry.encrypted) header.Flags |= UNRAR_FLAG_ENCRYPTED;
    if (entry.kind == unrar::EntryKind::Folder) header.Flags |= UNRAR_FLAG_DIRECTORY;
    std::uint64_t size = entry.size.value_or(0);
    header.UnpSize = static_cast<std::uint32_t>(size);
    header.PackSize = header.UnpSize;
    header.HostOS = UNRAR_HOST_UNIX;
    header.FileTime = entry.modified ? dosTime(*entry.modified) : 0;
    header.UnpVer = entry.rar5 ? kRar5Version : kRar4Version;
    header.FileAttr = entry.mode;
}

std::int32_t testEntry(UnrarArchive& archive) {
    const unrar::EntryHeader& entry = archive.entry;
    if (entry.kind != unrar::EntryKind::File) return archive.reader->skip() ? UNRAR_OK : UNRAR_BAD_DATA;
    std::vector<char> buffer(64u << 10);
    std::uint64_t total = 0;
    for (;;) {
        std::int64_t n = archive.reader->read(buffer.data(), buffer.size());
        if (n < 0) return entry.encrypted ? UNRAR_MISSING_PASSWORD : UNRAR_BAD_DATA;
        if (n == 0) break;
        total += static_cast<std::uint64_t>(n);
        if (entry.size && total > *entry.size) return UNRAR_BAD_DATA;
    }
    return entry.size && total != *entry.size ? UNRAR_BAD_DATA : UNRAR_OK;
}

}  // namespace

UNRAR_API UnrarArchive* RAROpenArchive(RAROpenArchiveData* data, const char* name) {
    if (!data) return nullptr;
    data->CmtSize = 0;
    data->CmtState = 0;
    if (!name || !*name) {
        data->OpenResult = UNRAR_OPEN_FAILED;
        return nullptr;
    }
    auto archive = std::make_unique<UnrarArchive>();
    archive->name = name;
    unrar::RarReader::OpenFailure failure;
    archive->reader = unrar::RarReader::open(unrar::findVolumes(archive->name), failure);
    if (!archive->reader) {
        data->OpenResult = failure.notFound ? UNRAR_OPEN_FAILED : UNRAR_BAD_ARCHIVE;
        return nullptr;
    }
    data->OpenResult = UNRAR_OK;
    return archive.release();
}

UNRAR_API void RARSetPassword(UnrarArchive* archive, const char* password) {
    if (archive) archive->password = password ? password : "";
}

UNRAR_API std::int32_t RARReadHeader(UnrarArchive* archive, RARHeaderData* header) {
    if (!archive || !header) return UNRAR_BAD_CALL;
    if (archive->haveEntry) {
        archive->haveEntry = false;
        archive->reader->skip();
    }
    switch (archive->reader->next(archive->entry)) {
        case unrar::HeaderResult::Ok:
            break;
        case unrar::HeaderResult::End:
            return UNRAR_END_OF_ARCHIVE;
        case unrar::HeaderResult::Failed:
        case unrar::HeaderResult::Fatal:
            return UNRAR_BAD_DATA;
    }
    archive->haveEntry = true;
    archive->shownName = archive->entry.name;
    std::replace(archive->shownName.begin(), archive->shownName.end(), '/', '\\');
    fillHeader(*archive, *header);
    archive->shownName = header->FileName;
    return UNRAR_OK;
}

UNRAR_API std::int32_t RARProcessFile(UnrarArchive* archive, std::int32_t operation, const char* destPath,
                                      const char* destName) {
    if (!archive || !archive->haveEntry) return UNRAR_BAD_CALL;
    archive->haveEntry = false;
    switch (operation) {
        case UNRAR_SKIP:
            archive->reader->skip();
            return UNRAR_OK;
        case UNRAR_TEST:
            return testEntry(*archive);
        case UNRAR_EXTRACT: {
            unrar::Target target =
                unrar::splitTarget(destPath ? destPath : "", destName ? destName : "", archive->shownName);
            return archive->extraction.extract(*archive->reader, archive->entry, target);
        }
        default:
            archive->reader->skip();
            return UNRAR_BAD_CALL;
    }
}

UNRAR_API std::int32_t RARCloseArchive(UnrarArchive* archive) {
    if (!archive) return UNRAR_BAD_CALL;
    archive->extraction.finish();
    delete archive;
    return UNRAR_OK;
}

UNRAR_API void RARSetChangeVolProc(UnrarArchive* archive, UnrarChangeVolumeProc proc) {
    if (archive) archive->changeVolume = proc;
}
