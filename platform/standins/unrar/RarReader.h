// SPDX-License-Identifier: Apache-2.0
// Reading a RAR archive with libarchive: its volumes as one stream (the first one from where
// the archive starts inside it), entry headers one by one, each entry's data. Every result is
// graded: this entry failed and the next can be read, or the archive cannot be read further.
// Part of platform/standins/unrar; depends on libarchive and POSIX.
//
// libarchive converts RAR 4 Unicode names to the current locale's character set; the reader
// switches its own thread to a UTF-8 locale around each libarchive call, so names come out as
// UTF-8 whatever the process's locale is, and the process's locale is left alone.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace unrar {

enum class EntryKind { File, Folder, SymbolicLink, HardLink };

struct EntryHeader {
    std::string name;  // UTF-8, "/" between folders, as libarchive gives it
    EntryKind kind = EntryKind::File;
    std::optional<std::uint64_t> size;  // none when the archive does not say
    mode_t mode = 0;                    // type and permission bits
    std::optional<std::time_t> modified;
    bool encrypted = false;  // the header says the data is encrypted (RAR 4 only)
    bool rar5 = false;
    std::string linkTarget;  // symbolic and hard links
};

enum class HeaderResult {
    Ok,
    End,
    Failed,  // this header could not be read; reading on may find the next one
    Fatal,   // nothing more can be read
};

class RarReader {
public:
    // Null when the first volume cannot be opened (`notFound` then says whether it is there).
    struct OpenFailure {
        bool notFound = false;
    };
    static std::unique_ptr<RarReader> open(const std::vector<std::filesystem::path>& volumes, OpenFailure& failure);
    ~RarReader();
    RarReader(const RarReader&) = delete;
    RarReader& operator=(const RarReader&) = delete;

    // The next header. After Failed, the next call tries again; the same failure twice in a
    // row, or kMaxHeaderFailures in a row, makes it Fatal. After End or Fatal, End.
    HeaderResult next(EntryHeader& header);
    // The current entry's data: the count, 0 at the end, -1 when it cannot be read (damaged,
    // encrypted, a method libarchive lacks). The next header can be read after -1.
    std::int64_t read(char* buffer, std::size_t capacity);
    // Moves past the current entry's data without returning it; false when that failed.
    bool skip();
    std::string errorText() const;

    static constexpr int kMaxHeaderFailures = 16;

private:
    struct State;
    explicit RarReader(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace unrar
