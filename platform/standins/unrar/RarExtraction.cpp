// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unrar/RarExtraction.h"

#include "platform/prefix/Prefix.h"
#include "platform/standins/extract/Extractor.h"
#include "platform/standins/unrar/UnRAR.h"

namespace unrar {
namespace {

// The entry's data as the extractor reads it: a link's target text, or the archive's bytes.
class RarEntryData final : public extract::EntryData {
public:
    RarEntryData(RarReader& reader, const EntryHeader& entry) : reader_(reader), entry_(entry) {}

    std::int64_t read(char* buffer, std::size_t capacity) override {
        if (entry_.kind == EntryKind::SymbolicLink) {
            std::size_t n = std::min(capacity, entry_.linkTarget.size() - linkOffset_);
            entry_.linkTarget.copy(buffer, n, linkOffset_);
            linkOffset_ += n;
            return static_cast<std::int64_t>(n);
        }
        std::int64_t n = reader_.read(buffer, capacity);
        if (n < 0) failed_ = true;
        return n;
    }

    bool failed() const { return failed_; }

private:
    RarReader& reader_;
    const EntryHeader& entry_;
    std::size_t linkOffset_ = 0;
    bool failed_ = false;
};

std::int32_t resultOf(const extract::EntryResult& result, const EntryHeader& entry) {
    switch (result.problem) {
        case extract::Problem::None:
            return result.grade == extract::Grade::Ok ? UNRAR_OK : UNRAR_BAD_DATA;
        case extract::Problem::DamagedEntry:
            return entry.encrypted ? UNRAR_MISSING_PASSWORD : UNRAR_BAD_DATA;
        case extract::Problem::Encrypted:
            return UNRAR_MISSING_PASSWORD;
        case extract::Problem::UnsupportedMethod:
            return UNRAR_UNKNOWN_FORMAT;
        case extract::Problem::WriteFailed:
            return UNRAR_WRITE_FAILED;
        case extract::Problem::UnsafeName:
        case extract::Problem::ThroughLink:
        case extract::Problem::UnsafeLink:
        case extract::Problem::NotAFolder:
        case extract::Problem::Duplicate:
        case extract::Problem::KeptExisting:
            return UNRAR_CREATE_FAILED;
    }
    return UNRAR_BAD_DATA;
}

}  // namespace

RarExtraction::RarExtraction() = default;
RarExtraction::~RarExtraction() {
    finish();
}

std::int32_t RarExtraction::extract(RarReader& reader, const EntryHeader& entry, const Target& target) {
    if (!extractor_ || folder_ != target.folder) {
        finish();
        extractor_ = extract::Extractor::open(platform::prefix::toNative(target.folder), extract::Options{});
        if (!extractor_) {
            reader.skip();
            return UNRAR_CREATE_FAILED;
        }
        folder_ = target.folder;
    }
    extract::Entry placed;
    placed.name = target.name;
    placed.permissions = entry.mode & 0777;
    placed.modified = entry.modified;
    switch (entry.kind) {
        case EntryKind::File:
            placed.kind = extract::EntryKind::File;
            // An entry of unknown size cannot be checked for completeness.
            if (!entry.size) placed.unreadable = extract::Problem::DamagedEntry;
            placed.size = entry.size.value_or(0);
            break;
        case EntryKind::Folder:
            placed.kind = extract::EntryKind::Folder;
            break;
        case EntryKind::SymbolicLink:
            placed.kind = extract::EntryKind::Link;
            placed.size = entry.linkTarget.size();
            break;
        case EntryKind::HardLink:
            // A hard link would share the file with whatever its target names on disk.
            placed.kind = extract::EntryKind::File;
            placed.unreadable = extract::Problem::UnsupportedMethod;
            break;
    }
    RarEntryData data(reader, entry);
    extract::EntryResult result = extractor_->extract(placed, data);
    if (entry.kind == EntryKind::HardLink && result.problem == extract::Problem::UnsupportedMethod) {
        reader.skip();
        return UNRAR_CREATE_FAILED;
    }
    if (!result.written && entry.kind == EntryKind::File) reader.skip();
    return resultOf(result, entry);
}

void RarExtraction::finish() {
    if (extractor_) extractor_->finish();
    extractor_.reset();
    folder_.clear();
}

}  // namespace unrar
