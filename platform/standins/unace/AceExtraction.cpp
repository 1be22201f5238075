// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/AceExtraction.h"

#include <new>

#include "platform/standins/extract/EntryNames.h"
#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/UnAce.h"

namespace unace {

namespace {
bool isSeparator(char c) {
    return c == '\\' || c == '/';
}
// Without the separators at its end, except where they are the root (a drive's or a lone
// separator): the path mapping keeps a POSIX path as it is, a trailing backslash and all.
std::string folderOf(std::string_view path) {
    std::string folder(path);
    while (folder.size() > 1 && isSeparator(folder.back()) && folder[folder.size() - 2] != ':') folder.pop_back();
    return folder;
}
}  // namespace

ExtractionTarget splitTarget(std::string_view target, std::string_view entryName) {
    const extract::TargetSplit split = extract::splitAtEntryName(target, entryName);
    return {folderOf(split.folder), std::string(split.name)};
}

std::optional<std::time_t> dosTime(std::uint32_t value) {
    std::tm tm{};
    tm.tm_sec = static_cast<int>(value & 0x1F) * 2;
    tm.tm_min = static_cast<int>((value >> 5) & 0x3F);
    tm.tm_hour = static_cast<int>((value >> 11) & 0x1F);
    tm.tm_mday = static_cast<int>((value >> 16) & 0x1F);
    tm.tm_mon = static_cast<int>((value >> 21) & 0x0F) - 1;
    tm.tm_year = static_cast<int>(value >> 25) + 80;
    tm.tm_isdst = -1;
    if (tm.tm_mday < 1 || tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_hour > 23 || tm.tm_min > 59 || tm.tm_sec > 59) {
        return std::nullopt;
    }
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return t;
}

extract::Problem MemberData::open() {
    try {
        packed_ = archive_.packedData(member_);
        reader_ = std::make_unique<MemberReader>(*packed_, coding_, password_, history_);
        return extract::Problem::None;
    } catch (const AceError& e) {
        code_ = e.code();
    } catch (const std::bad_alloc&) {
        code_ = ACE_ERROR_MEMORY;
    }
    switch (code_) {
        case ACE_ERROR_PASSWORD:
            return extract::Problem::Encrypted;
        case ACE_ERROR_METHOD:
            return extract::Problem::UnsupportedMethod;
        default:
            return extract::Problem::DamagedEntry;
    }
}

std::int64_t MemberData::read(char* buffer, std::size_t capacity) {
    try {
        return static_cast<std::int64_t>(reader_->read(reinterpret_cast<std::uint8_t*>(buffer), capacity));
    } catch (const AceError& e) {
        code_ = e.code();
    } catch (const std::bad_alloc&) {
        code_ = ACE_ERROR_MEMORY;
    }
    return -1;
}

std::int32_t resultCode(const extract::EntryResult& result, const MemberData& data) {
    using extract::Grade;
    using extract::Problem;
    if (result.grade == Grade::Ok) return ACE_SUCCESS;
    switch (result.problem) {
        case Problem::UnsafeName:
            return ACE_ERROR_UNSAFE_NAME;
        case Problem::ThroughLink:
        case Problem::NotAFolder:
            return ACE_ERROR_LINK;
        case Problem::Encrypted:
            return ACE_ERROR_PASSWORD;
        case Problem::UnsupportedMethod:
            return ACE_ERROR_METHOD;
        case Problem::DamagedEntry:
            return data.code() != 0 ? data.code() : ACE_ERROR_DATA;
        case Problem::Duplicate:
        case Problem::KeptExisting:
            return ACE_ERROR_CREATE;
        default:
            return ACE_ERROR_WRITE;
    }
}

}  // namespace unace
