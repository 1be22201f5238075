// SPDX-License-Identifier: Apache-2.0
// The callback messages: every piece of progress and every result of a run, written as the
// text of the caller's window, fields separated by "|", the message code in field 2. Field 1
// holds the library's name ("addZIP" or "addUNZIP"); field 3 of codes 12 to 21 is left empty.
// Part of platform/standins/addzip; depends on platform/forms.
#pragma once

#include <cstdint>
#include <ctime>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/forms/WindowHandles.h"

namespace addzip {

enum class MessageCode : int {
    Searching = 10,       // 3 pattern, 4 directory
    ZipComment = 11,      // 3 comment
    Zipping = 12,         // 4 name, 5 size, 6 bytes read, 7 percentage, 8 files remaining
    Zipped = 13,          // 4 name, 5 size, 6 compressed size, 7 ratio, 8 files remaining
    Unzipping = 14,       // 4 name, 5 size, 6 bytes written, 7 percentage
    Unzipped = 15,        // 4 name, 5 size, 6 bytes written, 7 percentage
    Deleting = 18,        // 4 name
    Deleted = 19,         // 4 name
    View = 21,            // 4 path, 5 name, 6 size, 7 compressed, 8 ratio, 9 date, 10 time,
                          // 11 attributes, 12 method, 13 encrypted, 14 CRC, 15 binary,
                          // 16 made-by version, 17 needed version
    Error = 22,           // 3 name, 4 error code
    Warning = 23,         // 3 name, 4 warning code
    QueryOverwrite = 24,  // 3 existing name, 4 its size, 5 its date, 6 new name, 7 new size, 8 new date
    Copying = 25,         // the new archive is being written and moved into place
    Copied = 26,
};

// Error codes (Error messages, and negated as run results).
enum class AddZipCode : std::int32_t {
    NoArchiveName = 1,
    ArchiveNotFound = 2,
    ArchiveUnreadable = 3,  // not a ZIP archive, truncated or damaged
    ArchiveNotWritten = 4,  // the new archive could not be written; the old one is unchanged
    FileUnreadable = 5,     // a file to add could not be read
    UnsafeName = 6,         // absolute, drive letter, ".." or empty entry name
    ThroughLink = 7,        // would be written through a symbolic link
    Encrypted = 8,          // no password is given to this library
    DamagedEntry = 9,       // CRC or data error, or an unsupported method
    WriteFailed = 10,       // the file could not be written (no room, no permission, ...)
    UnsafeLink = 11,        // a link entry pointing outside the destination
    DestinationUnusable = 12,
    UnsupportedMethod = 13,  // a compression method libzip cannot expand
};

// Warning codes.
enum class WarningCode : std::int32_t {
    NothingSelected = 1,  // no file or entry matched the lists
    KeptExisting = 2,     // overwrite none, or an unanswered query
    SpanIgnored = 3,
    SfxIgnored = 4,
    DuplicateName = 5,        // two files or entries under one name; the first was kept
    LinkedFolderSkipped = 6,  // a link to a folder met while recursing: not followed
};

// Writes the messages of one run into one window. A message handler that throws ends the
// run: the writer keeps the exception, and the run rethrows it once its resources are freed.
class MessageWriter {
public:
    MessageWriter(platform::forms::WindowHandle window, std::string library);

    // One message: field 1 the library, field 2 the code, then `fields`. "|" inside a field
    // becomes "¦"; numbers are clamped to the 32-bit range the receiver reads.
    void send(MessageCode code, std::initializer_list<std::string_view> fields);
    void error(std::string_view name, AddZipCode code);
    void warning(std::string_view name, WarningCode code);

    // For callbacks that run inside libzip, where no exception may pass: catches and keeps it.
    bool sendCatching(MessageCode code, std::initializer_list<std::string_view> fields) noexcept;
    bool failed() const { return static_cast<bool>(pending_); }
    void rethrowPending();

    // The first error this run reported (0 for none).
    std::int32_t firstError() const { return firstError_; }

private:
    platform::forms::WindowHandle window_;
    std::string library_;
    std::int32_t firstError_ = 0;
    std::exception_ptr pending_;
};

// English descriptions of the error and warning codes, for people; "unknown" for others.
std::string_view errorText(std::int32_t code);
std::string_view warningText(std::int32_t code);

// Numbers in message fields.
std::string number(std::int64_t value);
// The share saved by compression in percent, 0 for empty files.
std::int64_t ratioPercent(std::uint64_t size, std::uint64_t compressed);
std::int64_t percentDone(std::uint64_t done, std::uint64_t total);
// A time in local time, formatted for strftime; localDateTime as "2024-01-31 12:00:00".
std::string localTimeText(std::time_t t, const char* format);
std::string localDateTime(std::time_t t);

// Progress is reported once per this many bytes of an entry.
inline constexpr std::uint64_t kProgressStep = 4u << 20;

}  // namespace addzip
