// SPDX-License-Identifier: Apache-2.0
// The safe extractor: the format-independent half of unpacking an archive, shared by every
// archive reader (ZIP, RAR, ACE). A reader walks its archive and hands each entry to one
// Extractor; the Extractor judges the name, places the entry below the destination without ever
// following a link, stages each file under a temporary name and renames it into place only when
// all its data arrived, and grades each entry's outcome. Part of platform/standins/extract;
// depends on POSIX and platform/support only.
//
// How a reader uses it:
//
//     auto extractor = extract::Extractor::open(nativeDestination, options);
//     if (!extractor) -> the destination cannot be used: the whole run is Fatal
//     for each entry the reader can read:
//         MyEntryData data(...);                  // an EntryData over the entry's bytes
//         EntryResult r = extractor->extract({name, kind, size, ...}, data);
//         report r in the reader's own words (r.grade, r.problem)
//     for (const LateResult& late : extractor->finish())   // links judged once everything is out
//         report late.result for late.name
//
// The rules every reader gets:
// - Names: refused (Failed, UnsafeName) when empty, absolute, with a drive, with a ".." component
//   or a control character (0x00-0x1F, 0x7F) in the raw or the decoded name; never repaired.
// - Places: every folder on the way is opened without following links; an entry that would be
//   written through a link fails (ThroughLink), even through one that was there before the run.
//   A file, folder or link never replaces a folder.
// - Duplicates: the first entry of a name owns it for the whole run. A later entry whose place
//   equals an earlier one's, exactly or in another case ("Readme.txt", "README.TXT"), is not
//   written in any overwrite mode and is reported (Warn, Duplicate). Folders are the exception:
//   a later folder of the same name is the same folder, spelled as it was first.
// - Links: refused (Failed, UnsafeLink) when the target text is absolute, has a "\\" or a
//   control character, or climbs above the destination; or when the target passes through a
//   link (one made by this run or one found on disk) anywhere but its last component, or ends
//   at a link this run did not make. finish() judges every link made by this run again against
//   the disk as the whole archive left it, and removes the ones that no longer pass, so that
//   each link left resolves inside the destination whatever the order of the entries.
// - Files are staged: a failed entry leaves no file and no temporary behind, and an existing
//   file is only replaced by a complete new one, synced before its rename. Files under new
//   names are synced all at once, by one sync of the destination's file system in finish().
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace extract {

// How an entry came out, graded as libarchive grades its results.
enum class Grade {
    Ok,      // done as asked (or deliberately left alone, see `written`)
    Warn,    // not written, and the reader should say so; the run goes on
    Failed,  // this entry failed; nothing of it was written; the run goes on
    Fatal,   // the archive cannot be read any further (reader's verdict) or the destination is gone
};

enum class Problem {
    None,
    UnsafeName,         // Failed: see the name rules above
    ThroughLink,        // Failed: would be written through a link
    UnsafeLink,         // Failed: a link whose target leaves the destination
    NotAFolder,         // Failed: a folder is in the way of a file or link, or a file of a folder
    WriteFailed,        // Failed: no room, no permission, or another system error
    DamagedEntry,       // Failed: the data ended early, ran long, or the reader found it damaged
    Encrypted,          // Failed: reported by the reader's EntryData
    UnsupportedMethod,  // Failed: reported by the reader's EntryData
    Duplicate,          // Warn: an earlier entry of this run owns the name
    KeptExisting,       // Warn: a file was there and the overwrite mode keeps it
};

enum class EntryKind { File, Folder, Link };

// What is known of an entry before its data is read.
struct Entry {
    std::string_view name = {};     // decoded, "/" or "\\" between folders
    std::string_view rawName = {};  // the bytes as stored when they differ from `name` (else empty)
    EntryKind kind = EntryKind::File;
    std::uint64_t size = 0;     // bytes of data (a link's: its target text); anything else fails
    mode_t permissions = 0666;  // the process's umask is taken away; only 0777 bits count
    std::optional<std::time_t> modified = std::nullopt;  // none: the time of writing
    // Set when the reader knows before reading that the data cannot be had (encrypted without
    // a password, ...): the entry fails with it once its name has passed.
    Problem unreadable = Problem::None;
};

// The bytes of one entry, given by the reader. Throwing from any member ends the run: the
// exception passes through extract() after the temporary file is removed.
class EntryData {
public:
    virtual ~EntryData() = default;
    // Called once the entry has its place, before anything is written. Problem::None to go on.
    virtual Problem open() { return Problem::None; }
    // Reads up to `capacity` bytes into `buffer`: the count, 0 at the end, -1 for damaged data.
    virtual std::int64_t read(char* buffer, std::size_t capacity) = 0;
    // Progress: before the first byte is written, after each `progressStep` bytes, and done.
    virtual void started(std::uint64_t /*size*/) {}
    virtual void advanced(std::uint64_t /*written*/) {}
    virtual void finished(std::uint64_t /*written*/) {}
};

struct ExistingFile {
    std::uint64_t size = 0;
    std::time_t modified = 0;
};

struct EntryResult {
    Grade grade = Grade::Ok;
    Problem problem = Problem::None;
    bool written = false;                  // a file or link was made (folders do not count)
    std::optional<ExistingFile> existing;  // with KeptExisting: the file that was kept
};

// A result that only finish() can give: a link that had been made and was then removed.
struct LateResult {
    std::string name;  // the entry's name as given to extract()
    EntryResult result;
};

enum class Overwrite { Replace, Keep };

struct Options {
    Overwrite overwrite = Overwrite::Replace;
    // Every file straight into the destination under its last name component; folder entries
    // make nothing.
    bool flatten = false;
    std::uint64_t progressStep = 4u << 20;
};

class Extractor {
public:
    // The destination folder (made when missing); null when it cannot be opened as a folder.
    static std::unique_ptr<Extractor> open(const std::filesystem::path& nativeDestination, const Options& options);
    ~Extractor();
    Extractor(const Extractor&) = delete;
    Extractor& operator=(const Extractor&) = delete;

    // Places one entry. A link's target is read through `data` (at most kMaxLinkTarget bytes).
    EntryResult extract(const Entry& entry, EntryData& data);

    // Judges every link this run made again, now that all entries are out, and removes the ones
    // that do not pass, and syncs what the run wrote. Call once, after the last entry.
    std::vector<LateResult> finish();

    static constexpr std::uint64_t kMaxLinkTarget = 4096;

private:
    class Run;
    explicit Extractor(std::unique_ptr<Run> run);
    std::unique_ptr<Run> run_;
};

}  // namespace extract
