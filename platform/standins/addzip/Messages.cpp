// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/Messages.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace addzip {

MessageWriter::MessageWriter(platform::forms::WindowHandle window, std::string library)
    : window_(window), library_(std::move(library)) {}

void MessageWriter::send(MessageCode code, std::initializer_list<std::string_view> fields) {
    std::string text = library_;
    text += '|';
    text += std::to_string(static_cast<int>(code));
    for (std::string_view field : fields) {
        text += '|';
        for (char c : field) {
            if (c == '|')
                text += "\xC2\xA6";
            else
                text += c;
        }
    }
    // A run without a window is quiet: nobody listens.
    if (window_ != 0) platform::forms::setWindowText(window_, text);
}

void MessageWriter::error(std::string_view name, AddZipCode code) {
    auto value = static_cast<std::int32_t>(code);
    if (firstError_ == 0) firstError_ = value;
    send(MessageCode::Error, {name, number(value)});
}

void MessageWriter::warning(std::string_view name, WarningCode code) {
    send(MessageCode::Warning, {name, number(static_cast<std::int32_t>(code))});
}

bool MessageWriter::sendCatching(MessageCode code, std::initializer_list<std::string_view> fields) noexcept {
    if (pending_) return false;
    try {
        send(code, fields);
        return true;
    } catch (...) {
        pending_ = std::current_exception();
        return false;
    }
}

void MessageWriter::rethrowPending() {
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
}

std::string_view errorText(std::int32_t code) {
    switch (static_cast<AddZipCode>(code)) {
        case AddZipCode::NoArchiveName:
            return "no archive name given";
        case AddZipCode::ArchiveNotFound:
            return "archive not found";
        case AddZipCode::ArchiveUnreadable:
            return "not a ZIP archive, or truncated or damaged";
        case AddZipCode::ArchiveNotWritten:
            return "the archive could not be written; it is unchanged";
        case AddZipCode::FileUnreadable:
            return "file not found or not readable";
        case AddZipCode::UnsafeName:
            return "unsafe name (absolute, drive letter or ..): not extracted";
        case AddZipCode::ThroughLink:
            return "would be written through a symbolic link: not extracted";
        case AddZipCode::Encrypted:
            return "encrypted: no password given";
        case AddZipCode::DamagedEntry:
            return "damaged data (CRC or format error)";
        case AddZipCode::WriteFailed:
            return "could not be written (no room, no permission, or a folder in the way)";
        case AddZipCode::UnsafeLink:
            return "link pointing outside the destination: not extracted";
        case AddZipCode::DestinationUnusable:
            return "destination folder cannot be made or opened";
        case AddZipCode::UnsupportedMethod:
            return "unsupported compression method";
    }
    return "unknown error";
}

std::string_view warningText(std::int32_t code) {
    switch (static_cast<WarningCode>(code)) {
        case WarningCode::NothingSelected:
            return "no file matched";
        case WarningCode::KeptExisting:
            return "exists already: kept";
        case WarningCode::SpanIgnored:
            return "spanning is not supported: written as one file";
        case WarningCode::SfxIgnored:
            return "self-extractors are not supported: written as a plain ZIP archive";
        case WarningCode::DuplicateName:
            return "a file or entry of the same name came first: skipped";
        case WarningCode::LinkedFolderSkipped:
            return "a link to a folder: not followed";
    }
    return "unknown warning";
}

std::string number(std::int64_t value) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return std::to_string(std::clamp(value, lo, hi));
}

std::int64_t ratioPercent(std::uint64_t size, std::uint64_t compressed) {
    if (size == 0 || compressed >= size) return 0;
    return static_cast<std::int64_t>((size - compressed) * 100 / size);
}

std::int64_t percentDone(std::uint64_t done, std::uint64_t total) {
    if (total == 0) return 100;
    return static_cast<std::int64_t>(std::min<std::uint64_t>(done, total) * 100 / total);
}

std::string localTimeText(std::time_t t, const char* format) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}

std::string localDateTime(std::time_t t) {
    return localTimeText(t, "%Y-%m-%d %H:%M:%S");
}

}  // namespace addzip
