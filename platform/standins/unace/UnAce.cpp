// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/UnAce.h"

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/standins/extract/EntryNames.h"
#include "platform/standins/extract/Extractor.h"
#include "platform/standins/unace/AceArchive.h"
#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/AceExtraction.h"
#include "platform/standins/unace/HistoryWindow.h"
#include "platform/standins/unace/MemberUnpacker.h"
#include "platform/support/TextEncoding.h"

using unace::AceArchive;
using unace::AceError;
using unace::Member;

struct AceArchiveSession {
    std::unique_ptr<AceArchive> archive;
    std::string archiveName;  // as the caller named the first volume
    std::uint32_t openMode = ACE_OPEN_LIST;
    std::string password;
    unace::HistoryWindow history;
    std::optional<Member> current;
    std::string currentName;  // decoded for this platform
    bool currentHandled = false;
    bool nameFits = true;
    // One extractor per destination folder, so that one run's entries are judged together.
    std::filesystem::path destination;
    std::unique_ptr<extract::Extractor> extractor;
    // Members passed over that a later member of a solid archive may still build on.
    std::vector<Member> backlog;
    bool headersFailed = false;
};

namespace {

class DiscardingSink : public unace::OutputSink {
public:
    void write(const std::uint8_t*, std::size_t) override {}
};

unace::MemberCoding codingOf(const Member& m) {
    unace::MemberCoding coding;
    coding.method = m.header.method;
    coding.size = m.header.size;
    coding.crc = m.header.crc;
    coding.solid = (m.header.flags & unace::kFileSolid) != 0;
    coding.encrypted = (m.header.flags & unace::kFileEncrypted) != 0;
    return coding;
}

bool hasData(const Member& m) {
    return !m.isDirectory() && m.header.size > 0;
}

void unpack(AceArchiveSession& s, const Member& m, unace::OutputSink& sink) {
    if (m.problem != 0) throw AceError(m.problem, "a volume of the entry is missing");
    if (!hasData(m)) return;
    std::unique_ptr<unace::ByteSource> packed = s.archive->packedData(m);
    unace::unpackMember(*packed, codingOf(m), s.password, s.history, sink);
}

// A member whose bytes were not unpacked: a later solid member may need them in its history.
void passOver(AceArchiveSession& s, const Member& m) {
    if (!hasData(m)) return;
    if (!(m.header.flags & unace::kFileSolid)) s.backlog.clear();  // a new history starts here
    s.backlog.push_back(m);
}

// A solid member needs the history of the members passed over before it.
void catchUp(AceArchiveSession& s, const Member& m) {
    if (!(m.header.flags & unace::kFileSolid)) {
        s.backlog.clear();
        return;
    }
    std::vector<Member> backlog;
    backlog.swap(s.backlog);
    for (const Member& earlier : backlog) {
        DiscardingSink discard;
        try {
            unpack(s, earlier, discard);
        } catch (const AceError&) {
            // Its own failure shows when it is processed; later members fail on their checksum.
        }
    }
}

void copyText(char (&field)[260], const std::string& text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

extract::Extractor* extractorFor(AceArchiveSession& s, const std::filesystem::path& destination) {
    if (s.extractor && s.destination == destination) return s.extractor.get();
    if (s.extractor) s.extractor->finish();
    s.destination = destination;
    s.extractor = extract::Extractor::open(destination, extract::Options{});
    return s.extractor.get();
}

std::int32_t extractMember(AceArchiveSession& s, const char* targetPath) {
    const Member& m = *s.current;
    // The archive's own name is judged whatever target the caller made of it: refused, never
    // written under a cleaned name.
    if (!s.nameFits || extract::hasControlCharacter(m.header.name) ||
        extract::checkEntryName(s.currentName).problem != extract::NameProblem::None) {
        passOver(s, m);
        return ACE_ERROR_UNSAFE_NAME;
    }
    const unace::ExtractionTarget target = unace::splitTarget(targetPath, s.currentName);
    extract::Extractor* extractor =
        extractorFor(s, target.destination.empty() ? std::filesystem::current_path()
                                                   : platform::prefix::toNative(target.destination));
    if (extractor == nullptr) {
        passOver(s, m);
        return ACE_ERROR_CREATE;
    }
    catchUp(s, m);
    const unace::MemberCoding coding = codingOf(m);
    extract::Entry entry;
    entry.name = target.name;
    if (target.name == s.currentName && m.header.name != s.currentName) entry.rawName = m.header.name;
    entry.kind = m.isDirectory() ? extract::EntryKind::Folder : extract::EntryKind::File;
    entry.size = m.isDirectory() ? 0 : m.header.size;
    entry.permissions = (m.header.attributes & 0x01) ? 0444 : 0666;
    entry.modified = unace::dosTime(m.header.time);
    if (m.problem != 0) entry.unreadable = extract::Problem::DamagedEntry;
    unace::MemberData data(*s.archive, m, coding, s.password, s.history);
    const extract::EntryResult result = extractor->extract(entry, data);
    if (!data.unpackingBegan()) passOver(s, m);
    if (m.problem != 0 && result.problem == extract::Problem::DamagedEntry) return m.problem;
    return unace::resultCode(result, data);
}

std::int32_t testOrExtract(AceArchiveSession& s, std::int32_t operation, const char* targetPath) {
    if (operation == ACE_EXTRACT) return extractMember(s, targetPath);
    const Member& m = *s.current;
    catchUp(s, m);
    DiscardingSink discard;
    unpack(s, m, discard);
    return ACE_SUCCESS;
}

}  // namespace

ACEHandle ACEOpenArchive(ACEOpenArchiveData* data, const char* archiveName) {
    if (data == nullptr) return nullptr;
    if (archiveName == nullptr || (data->openMode != ACE_OPEN_LIST && data->openMode != ACE_OPEN_EXTRACT)) {
        data->openResult = ACE_ERROR_PARAMETER;
        return nullptr;
    }
    try {
        auto session = std::make_unique<AceArchiveSession>();
        session->archive = AceArchive::open(platform::prefix::toNative(archiveName));
        session->archiveName = archiveName;
        session->openMode = data->openMode;
        const unace::MainHeader& main = session->archive->mainHeader();
        data->openResult = ACE_SUCCESS;
        data->archiveFlags = main.flags;
        data->volumeNumber = main.volumeNumber;
        data->versionExtract = main.versionExtract;
        data->versionCreated = main.versionCreated;
        data->hostCreated = main.hostCreated;
        data->timeCreated = main.timeCreated;
        return session.release();
    } catch (const AceError& e) {
        data->openResult = static_cast<std::uint32_t>(e.code());
    } catch (const std::bad_alloc&) {
        data->openResult = ACE_ERROR_MEMORY;
    } catch (const std::exception&) {
        data->openResult = ACE_ERROR_OPEN;
    }
    return nullptr;
}

std::int32_t ACESetPassword(ACEHandle handle, const char* password) {
    if (handle == nullptr) return ACE_ERROR_PARAMETER;
    handle->password = password ? password : "";
    return ACE_SUCCESS;
}

std::int32_t ACEReadHeader(ACEHandle handle, ACEHeaderData* header) {
    if (handle == nullptr || header == nullptr) return ACE_ERROR_PARAMETER;
    AceArchiveSession& s = *handle;
    if (s.current && !s.currentHandled) passOver(s, *s.current);
    s.current.reset();
    if (s.headersFailed) return ACE_ERROR_HEADER;
    try {
        s.current = s.archive->next();
    } catch (const AceError& e) {
        s.headersFailed = true;
        return e.code();
    } catch (const std::bad_alloc&) {
        s.headersFailed = true;
        return ACE_ERROR_MEMORY;
    }
    if (!s.current) return ACE_END_ARCHIVE;
    s.currentHandled = false;
    const Member& m = *s.current;
    // Names are in the creating system's OEM code page, unless a Unix archiver wrote UTF-8.
    const std::string& name = s.currentName =
        platform::isValidUtf8(m.header.name) ? m.header.name : platform::oem850ToUtf8(m.header.name);
    s.nameFits = name.size() < sizeof header->fileName;
    std::memset(header, 0, sizeof *header);
    copyText(header->archiveName, s.archiveName);
    copyText(header->fileName, name);
    header->flags = m.header.flags;
    header->packedSize = static_cast<std::uint32_t>(m.packedSize);
    header->packedSizeHigh = static_cast<std::uint32_t>(m.packedSize >> 32);
    header->unpackedSize = static_cast<std::uint32_t>(m.header.size);
    header->unpackedSizeHigh = static_cast<std::uint32_t>(m.header.size >> 32);
    header->fileCRC = m.header.crc;
    header->fileTime = m.header.time;
    header->fileAttr = m.header.attributes;
    header->method = m.header.method;
    header->quality = m.header.quality;
    header->dictionaryBits = (m.header.params & 0x0Fu) + 10;
    header->hostCreated = s.archive->mainHeader().hostCreated;
    return ACE_SUCCESS;
}

std::int32_t ACEProcessFile(ACEHandle handle, std::int32_t operation, const char* targetPath) {
    if (handle == nullptr) return ACE_ERROR_PARAMETER;
    AceArchiveSession& s = *handle;
    if (!s.current || s.currentHandled) return ACE_ERROR_PARAMETER;
    if (operation == ACE_SKIP) return ACE_SUCCESS;
    if ((operation != ACE_TEST && operation != ACE_EXTRACT) || s.openMode != ACE_OPEN_EXTRACT) {
        return ACE_ERROR_PARAMETER;
    }
    if (operation == ACE_EXTRACT && targetPath == nullptr) return ACE_ERROR_PARAMETER;
    s.currentHandled = true;
    try {
        return testOrExtract(s, operation, targetPath);
    } catch (const AceError& e) {
        return e.code();
    } catch (const std::bad_alloc&) {
        return ACE_ERROR_MEMORY;
    } catch (const std::exception&) {
        return ACE_ERROR_WRITE;
    }
}

std::int32_t ACECloseArchive(ACEHandle handle) {
    if (handle == nullptr) return ACE_ERROR_PARAMETER;
    // No links come out of an ACE archive, so what finish() judges again cannot fail here.
    if (handle->extractor) handle->extractor->finish();
    delete handle;
    return ACE_SUCCESS;
}
