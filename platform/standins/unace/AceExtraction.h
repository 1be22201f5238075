// SPDX-License-Identifier: Apache-2.0
// Writing ACE members to files through the safe extractor: where the caller's target path puts
// the destination folder, and a member's bytes as the extractor reads them.
// Part of platform/standins/unace; depends on platform/standins/extract.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/standins/extract/Extractor.h"
#include "platform/standins/unace/AceArchive.h"
#include "platform/standins/unace/HistoryWindow.h"
#include "platform/standins/unace/MemberUnpacker.h"

namespace unace {

// The caller's target path split into the folder it chose and the name below it. A target that
// ends in the entry's own name (any separator) keeps that name, folders and all, so that they
// are made below the folder without following links; any other target is a folder and a file
// name of the caller's choosing. An empty destination is the working directory.
struct ExtractionTarget {
    std::string destination;  // Windows-style; "" for the working directory
    std::string name;
};
ExtractionTarget splitTarget(std::string_view targetPath, std::string_view entryName);

// MS-DOS date and time (local) as a time; nothing for an impossible date.
std::optional<std::time_t> dosTime(std::uint32_t value);

// A member's bytes for the extractor. A failure becomes "damaged" for the extractor; code()
// says which (ACE_ERROR_CRC, ACE_ERROR_DATA, ...).
class MemberData : public extract::EntryData {
public:
    MemberData(const AceArchive& archive, const Member& member, const MemberCoding& coding, std::string_view password,
               HistoryWindow& history)
        : archive_(archive), member_(member), coding_(coding), password_(password), history_(history) {}
    extract::Problem open() override;
    std::int64_t read(char* buffer, std::size_t capacity) override;

    std::int32_t code() const { return code_; }
    // True once unpacking began: the history has taken the member (whole or in part).
    bool unpackingBegan() const { return reader_ != nullptr; }

private:
    const AceArchive& archive_;
    const Member& member_;
    MemberCoding coding_;
    std::string_view password_;
    HistoryWindow& history_;
    std::unique_ptr<ByteSource> packed_;
    std::unique_ptr<MemberReader> reader_;
    std::int32_t code_ = 0;
};

// The UnACE result for an extractor's verdict.
std::int32_t resultCode(const extract::EntryResult& result, const MemberData& data);

}  // namespace unace
