// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/ZipSteps.h"

#include <fcntl.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/standins/addzip/Archive.h"
#include "platform/standins/addzip/EntryNames.h"
#include "platform/standins/addzip/Patterns.h"
#include "platform/standins/addzip/WorkAhead.h"
#include "platform/support/Wildcard.h"

namespace addzip {

namespace fs = std::filesystem;

namespace {

struct FoundFile {
    bool folder = false;  // an empty folder, stored as a folder entry
    fs::path native;
    std::string stored;
    std::uint64_t size = 0;
    std::time_t modified = 0;
    mode_t mode = 0;
};

// Files up to this size are read whole and deflated on all cores ahead of the writer; larger
// ones stream through libzip on the caller's thread, so that memory stays bounded.
constexpr std::uint64_t kDeflateAheadLimit = 16u << 20;

// One file deflated ahead: its bytes deflated, or as they are when deflate did not make them
// smaller (the entry is then stored).
struct Deflated {
    bool done = false;  // false: let libzip read and deflate the file the ordinary way
    bool stored = false;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::unique_ptr<char[]> data;
    std::size_t dataSize = 0;
};

// Whole-buffer deflate with libdeflate, one compressor per thread. It deflates these files in
// about half of zlib's time at the same level and a little smaller; zlib (inside libzip) keeps
// the files too large to be read whole.
class Deflater {
public:
    explicit Deflater(int level) : compressor_(libdeflate_alloc_compressor(level)) {}
    ~Deflater() { libdeflate_free_compressor(compressor_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool ready() const { return compressor_ != nullptr; }

    // The deflated size when it fits in `capacity` bytes of `out`, else nothing.
    std::optional<std::size_t> deflate(const char* in, std::size_t size, char* out, std::size_t capacity) {
        std::size_t n = libdeflate_deflate_compress(compressor_, in, size, out, capacity);
        if (n == 0) return std::nullopt;
        return n;
    }

private:
    libdeflate_compressor* compressor_;
};

int deflateLevel(Level level) {
    switch (level) {
        case Level::Minimum:
            return 1;
        case Level::Maximum:
            return 9;
        default:
            return 6;
    }
}

// Reads the file whole (it may have changed since it was found: anything over the limit is
// left to the ordinary way) and deflates it. A file that cannot be read is left to the
// ordinary way too, which reports it as it always has.
Deflated deflateFile(const FoundFile& file, Deflater& deflater) {
    if (!deflater.ready()) return {};
    int fd = ::open(file.native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    auto data = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(file.size) + 1);
    std::size_t capacity = static_cast<std::size_t>(file.size) + 1, got = 0;
    bool failed = false;
    while (got < capacity) {
        ssize_t n = ::read(fd, data.get() + got, capacity - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (failed || got > file.size) return {};
    Deflated out;
    out.size = got;
    out.crc = libdeflate_crc32(0, data.get(), got);
    // Kept deflated only when that makes it smaller, else stored: room for one byte less.
    std::size_t room = got > 0 ? got - 1 : 0;
    auto deflated = std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(room, 1));
    std::optional<std::size_t> packed =
        got > 0 ? deflater.deflate(data.get(), got, deflated.get(), room) : std::nullopt;
    if (packed) {
        out.data = std::move(deflated);
        out.dataSize = *packed;
    } else {
        out.stored = true;
        out.data = std::move(data);
        out.dataSize = got;
    }
    out.done = true;
    return out;
}

using DeflateAhead = WorkAhead<Deflated>;

struct CreateRun;

// The data of one file, read by libzip while it writes the archive: deflated ahead when the
// file has a job in `ahead`, else read here and deflated by libzip.
struct FileSource {
    CreateRun* run = nullptr;
    const FoundFile* file = nullptr;
    zip_t* archive = nullptr;
    zip_uint64_t index = 0;
    DeflateAhead* ahead = nullptr;
    std::size_t job = 0;
    bool taken = false;
    bool servedAhead = false;  // served from `deflated`, which is let go when libzip frees the source
    Deflated deflated;
    std::size_t served = 0;
    int fd = -1;
    std::uint64_t read = 0;
    std::uint64_t reported = 0;
    zip_error_t error{};
};

struct CreateRun {
    MessageWriter& writer;
    std::size_t total = 0;
    std::size_t closed = 0;
    std::string failedFile;
};

std::string remaining(const FileSource& s) {
    return number(static_cast<std::int64_t>(s.run->total - s.run->closed));
}

bool reportZipping(FileSource& s) {
    s.reported = s.read;
    return s.run->writer.sendCatching(
        MessageCode::Zipping,
        {"", s.file->stored, number(static_cast<std::int64_t>(s.file->size)), number(static_cast<std::int64_t>(s.read)),
         number(percentDone(s.read, s.file->size)), remaining(s)});
}

// The file's deflated bytes, waited for on the first question libzip asks. An entry that
// deflate did not shrink is switched to stored before libzip writes its header, so that libzip
// copies the bytes as they are instead of deflating them itself.
const Deflated& deflatedAhead(FileSource& s) {
    if (s.ahead && !s.taken) {
        s.taken = true;
        s.deflated = s.ahead->take(s.job);
        s.servedAhead = s.deflated.done;
        if (s.deflated.done && s.deflated.stored) zip_set_file_compression(s.archive, s.index, ZIP_CM_STORE, 0);
    }
    return s.deflated;
}

// Progress while libzip copies deflated bytes: the share of the file they stand for.
bool reportServed(FileSource& s) {
    const Deflated& d = s.deflated;
    std::uint64_t standsFor = d.dataSize == 0 ? d.size : d.size * s.served / d.dataSize;
    while (s.reported + kProgressStep <= standsFor) {
        s.read = s.reported + kProgressStep;
        if (!reportZipping(s)) return false;
    }
    s.read = standsFor;
    return true;
}

zip_int64_t fileSourceCallback(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& s = *static_cast<FileSource*>(userdata);
    // Only the questions of writing wait for the deflated bytes; discarding the archive does not.
    bool writing = command == ZIP_SOURCE_STAT || command == ZIP_SOURCE_OPEN || command == ZIP_SOURCE_READ ||
                   command == ZIP_SOURCE_CLOSE;
    if (writing ? deflatedAhead(s).done : s.deflated.done) {
        switch (command) {
            case ZIP_SOURCE_OPEN:
                s.served = 0;
                s.read = 0;
                if (!reportZipping(s)) {
                    zip_error_set(&s.error, ZIP_ER_INTERNAL, 0);
                    return -1;
                }
                return 0;
            case ZIP_SOURCE_READ: {
                std::size_t n = std::min<std::size_t>(length, s.deflated.dataSize - s.served);
                std::memcpy(data, s.deflated.data.get() + s.served, n);
                s.served += n;
                if (!reportServed(s)) {
                    zip_error_set(&s.error, ZIP_ER_INTERNAL, 0);
                    return -1;
                }
                return static_cast<zip_int64_t>(n);
            }
            case ZIP_SOURCE_STAT: {
                auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &s.error);
                if (!st) return -1;
                zip_stat_init(st);
                st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
                st->size = s.deflated.size;
                st->mtime = s.file->modified;
                st->comp_size = s.deflated.dataSize;
                st->comp_method = s.deflated.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
                st->crc = s.deflated.crc;
                return sizeof(zip_stat_t);
            }
            case ZIP_SOURCE_CLOSE:
                if (++s.run->closed == s.run->total) s.run->writer.sendCatching(MessageCode::Copying, {});
                return 0;
            case ZIP_SOURCE_FREE:
                s.deflated = {};
                return 0;
            default:
                break;  // the rest as for a file read here
        }
    }
    switch (command) {
        case ZIP_SOURCE_OPEN:
            s.fd = ::open(s.file->native.c_str(), O_RDONLY | O_CLOEXEC);
            if (s.fd < 0) {
                zip_error_set(&s.error, ZIP_ER_OPEN, errno);
                s.run->failedFile = s.file->stored;
                return -1;
            }
            s.read = 0;
            if (!reportZipping(s)) {
                zip_error_set(&s.error, ZIP_ER_INTERNAL, 0);
                return -1;
            }
            return 0;
        case ZIP_SOURCE_READ: {
            ssize_t n;
            do n = ::read(s.fd, data, length);
            while (n < 0 && errno == EINTR);
            if (n < 0) {
                zip_error_set(&s.error, ZIP_ER_READ, errno);
                s.run->failedFile = s.file->stored;
                return -1;
            }
            s.read += static_cast<std::uint64_t>(n);
            if (s.read - s.reported >= kProgressStep && !reportZipping(s)) {
                zip_error_set(&s.error, ZIP_ER_INTERNAL, 0);
                return -1;
            }
            return n;
        }
        case ZIP_SOURCE_CLOSE:
            if (s.fd >= 0) ::close(s.fd);
            s.fd = -1;
            if (++s.run->closed == s.run->total) s.run->writer.sendCatching(MessageCode::Copying, {});
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &s.error);
            if (!st) return -1;
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            st->size = s.file->size;
            st->mtime = s.file->modified;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&s.error, data, length);
        case ZIP_SOURCE_FREE:
            if (s.fd >= 0) ::close(s.fd);
            s.fd = -1;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&s.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

// The files that one file specification names.
class Search {
public:
    Search(const ZipSettings& settings, MessageWriter& writer, const PatternList& exclude, const fs::path& archive)
        : settings_(settings), writer_(writer), exclude_(exclude) {
        struct stat st {};
        if (::stat(archive.c_str(), &st) == 0) {
            archiveDevice_ = st.st_dev;
            archiveInode_ = st.st_ino;
            haveArchive_ = true;
        }
    }

    void add(const std::string& spec) {
        std::size_t cut = spec.find_last_of("\\/");
        std::string directoryText = cut == std::string::npos ? "" : spec.substr(0, cut == 0 ? 1 : cut);
        std::string pattern = cut == std::string::npos ? spec : spec.substr(cut + 1);
        fs::path native = platform::prefix::toNative(spec);
        std::error_code ec;
        std::string prefix;
        fs::path folder;
        // Relative structure keeps a relative path as it was given (a rooted one starts below
        // its folder): "sub/f.txt" is stored as "sub/f.txt", never as "./sub/f.txt".
        bool asGiven = settings_.structure == Structure::Relative && !isRootedPath(spec);
        if (!platform::hasWildcard(pattern) && fs::is_directory(native, ec)) {
            // A folder named as such: its files, stored below its own name.
            folder = native;
            directoryText = spec;
            prefix = asGiven ? folderPrefix(storedPath(spec)) : folderPrefix(storedPath(pattern));
            pattern = "*";
        } else {
            folder = directoryText.empty() ? fs::current_path(ec) : platform::prefix::toNative(directoryText);
            if (asGiven) prefix = folderPrefix(storedPath(directoryText));
        }
        writer_.send(MessageCode::Searching, {pattern, directoryText});
        std::size_t before = files_.size();
        walk(folder, prefix, PatternList(pattern));
        if (files_.size() == before && !platform::hasWildcard(pattern) && !fs::exists(native, ec))
            writer_.error(spec, AddZipCode::FileUnreadable);
    }

    std::vector<FoundFile>& files() { return files_; }

private:
    static std::string folderPrefix(const std::string& folder) { return folder.empty() ? "" : folder + "/"; }

    void walk(const fs::path& current, const std::string& relative, const PatternList& pattern) {
        std::error_code ec;
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
        std::vector<fs::path> folders;
        if (entries.empty() && !ec && !relative.empty() && settings_.structure != Structure::None &&
            settings_.recursion == Recursion::On) {
            // An empty folder would otherwise vanish from the archive.
            FoundFile folder;
            folder.folder = true;
            folder.native = current;
            folder.stored = settings_.structure == Structure::Relative
                                ? relative
                                : storedPath(platform::prefix::toWindows(fs::absolute(current, ec))) + "/";
            if (folder.stored != "/") files_.push_back(std::move(folder));
            return;
        }
        for (const fs::directory_entry& entry : entries) {
            std::string name = entry.path().filename().string();
            std::string rel = relative + name;
            struct stat st {};
            if (::stat(entry.path().c_str(), &st) != 0) continue;
            if (S_ISDIR(st.st_mode)) {
                if (settings_.recursion != Recursion::On) continue;
                // Links to folders are not followed, so a loop cannot make the walk endless.
                if (entry.is_symlink(ec))
                    writer_.warning(rel, WarningCode::LinkedFolderSkipped);
                else
                    folders.push_back(entry.path());
                continue;
            }
            if (!S_ISREG(st.st_mode) || !pattern.matches(name) || exclude_.matches(rel)) continue;
            if (haveArchive_ && st.st_dev == archiveDevice_ && st.st_ino == archiveInode_) continue;
            if (::access(entry.path().c_str(), R_OK) != 0) {
                writer_.error(rel, AddZipCode::FileUnreadable);
                continue;
            }
            FoundFile file;
            file.native = entry.path();
            file.size = static_cast<std::uint64_t>(st.st_size);
            file.modified = st.st_mtime;
            file.mode = st.st_mode;
            switch (settings_.structure) {
                case Structure::None:
                    file.stored = name;
                    break;
                case Structure::Relative:
                    file.stored = rel;
                    break;
                case Structure::Absolute:
                    file.stored = storedPath(platform::prefix::toWindows(fs::absolute(entry.path(), ec)));
                    break;
            }
            if (file.stored.empty()) continue;
            files_.push_back(std::move(file));
        }
        for (const fs::path& sub : folders) walk(sub, relative + sub.filename().string() + "/", pattern);
    }

    const ZipSettings& settings_;
    MessageWriter& writer_;
    const PatternList& exclude_;
    bool haveArchive_ = false;
    dev_t archiveDevice_ = 0;
    ino_t archiveInode_ = 0;
    std::vector<FoundFile> files_;
};

void setCompression(zip_t* archive, zip_uint64_t index, Level level) {
    switch (level) {
        case Level::None:
            zip_set_file_compression(archive, index, ZIP_CM_STORE, 0);
            break;
        case Level::Minimum:
            zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, 1);
            break;
        case Level::Normal:
            zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, 6);
            break;
        case Level::Maximum:
            zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, 9);
            break;
    }
}

// Entries that deflate made no smaller are written again as stored (method 0). libzip copies
// every other entry as it is, so the second pass costs little; when it fails the archive stays
// as written, deflated but whole.
void storeWhatDeflateDidNotShrink(const fs::path& native, const std::vector<const FoundFile*>& added) {
    AddZipCode code{};
    ArchiveUpdate archive(native, 0, code);
    if (!archive) return;
    bool changed = false;
    for (const FoundFile* file : added) {
        zip_int64_t index = zip_name_locate(archive.get(), file->stored.c_str(), 0);
        zip_stat_t st;
        if (index < 0 || zip_stat_index(archive.get(), static_cast<zip_uint64_t>(index), 0, &st) != 0) continue;
        if (st.comp_method == ZIP_CM_STORE || st.comp_size < st.size) continue;
        changed |= zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) == 0;
    }
    if (changed) archive.commit();
}

// Deflating on all cores: a job for each file small enough to be read whole, in the order
// libzip writes the entries (by index), each worker with its own deflate stream.
std::unique_ptr<DeflateAhead> deflateAhead(Level level, std::vector<std::unique_ptr<FileSource>>& sources) {
    if (level == Level::None) return nullptr;
    std::vector<FileSource*> planned;
    for (const auto& source : sources)
        if (source->file->size <= kDeflateAheadLimit) planned.push_back(source.get());
    if (planned.size() < 2) return nullptr;
    std::sort(planned.begin(), planned.end(),
              [](const FileSource* a, const FileSource* b) { return a->index < b->index; });
    std::vector<std::uint64_t> weights;
    std::vector<const FoundFile*> files;
    for (std::size_t job = 0; job < planned.size(); ++job) {
        weights.push_back(planned[job]->file->size * 2 + 1);  // the file and its deflated copy
        files.push_back(planned[job]->file);
    }
    unsigned threads = DeflateAhead::defaultThreads();
    auto deflaters = std::make_shared<std::vector<std::unique_ptr<Deflater>>>(threads + 1);
    auto ahead = std::make_unique<DeflateAhead>(
        std::move(weights),
        [files = std::move(files), deflaters, compressionLevel = deflateLevel(level)](std::size_t job, unsigned slot) {
            std::unique_ptr<Deflater>& deflater = (*deflaters)[slot];
            if (!deflater) deflater = std::make_unique<Deflater>(compressionLevel);
            return deflateFile(*files[job], *deflater);
        },
        threads, DeflateAhead::Limits{64u << 20, 512});
    for (std::size_t job = 0; job < planned.size(); ++job) {
        planned[job]->ahead = ahead.get();
        planned[job]->job = job;
    }
    return ahead;
}

}  // namespace

std::int16_t createArchive(const ZipSettings& settings, const fs::path& native, MessageWriter& writer) {
    if (settings.span) writer.warning(settings.archiveName, WarningCode::SpanIgnored);
    if (settings.buildSfx) writer.warning(settings.archiveName, WarningCode::SfxIgnored);
    PatternList exclude(settings.exclude);
    Search search(settings, writer, exclude, native);
    for (const std::string& spec : splitSpecs(settings.include)) search.add(spec);
    std::vector<FoundFile>& found = search.files();

    // Two files under one name: the first one found is kept.
    std::vector<const FoundFile*> files;
    std::set<std::string> names;
    for (const FoundFile& f : found) {
        if (names.insert(f.stored).second)
            files.push_back(&f);
        else
            writer.warning(f.stored, WarningCode::DuplicateName);
    }
    if (files.empty()) {
        writer.warning(settings.archiveName, WarningCode::NothingSelected);
        return writer.firstError() ? errorResult(writer) : 0;
    }

    // The sources outlive the archive, which frees them when it is closed or discarded.
    CreateRun run{writer, 0, 0, {}};
    std::vector<std::unique_ptr<FileSource>> sources;
    std::vector<const FoundFile*> added;
    std::size_t folders = 0;
    AddZipCode code{};
    ArchiveUpdate archive(native, ZIP_CREATE, code);
    if (!archive) {
        writer.error(settings.archiveName, code);
        return errorResult(writer);
    }
    for (const FoundFile* file : files) {
        zip_int64_t existing = zip_name_locate(archive.get(), file->stored.c_str(), 0);
        if (existing >= 0 && settings.overwrite != Overwrite::All) {
            if (settings.overwrite == Overwrite::Query) {
                zip_stat_t st;
                zip_stat_index(archive.get(), static_cast<zip_uint64_t>(existing), 0, &st);
                writer.send(MessageCode::QueryOverwrite,
                            {file->stored, number(static_cast<std::int64_t>(st.size)), localDateTime(st.mtime),
                             file->native.string(), number(static_cast<std::int64_t>(file->size)),
                             localDateTime(file->modified)});
            }
            writer.warning(file->stored, WarningCode::KeptExisting);
            continue;
        }
        if (file->folder) {
            zip_int64_t index = existing >= 0 ? -1 : zip_dir_add(archive.get(), file->stored.c_str(), ZIP_FL_ENC_GUESS);
            if (index >= 0) {
                // Not libzip's 0777, which would make the folder world-writable where it is unpacked.
                zip_file_set_external_attributes(archive.get(), static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                                 (static_cast<std::uint32_t>(S_IFDIR | 0755) << 16) | 0x10);
                ++folders;
            }
            continue;
        }
        auto source = std::make_unique<FileSource>();
        source->run = &run;
        source->file = file;
        zip_error_init(&source->error);
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* zs = zip_source_function_create(fileSourceCallback, source.get(), &error);
        zip_error_fini(&error);
        if (!zs) {
            writer.error(file->stored, AddZipCode::ArchiveNotWritten);
            continue;
        }
        zip_int64_t index = zip_file_add(archive.get(), file->stored.c_str(), zs, ZIP_FL_ENC_GUESS | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(zs);
            writer.error(file->stored, AddZipCode::ArchiveNotWritten);
            continue;
        }
        auto i = static_cast<zip_uint64_t>(index);
        source->archive = archive.get();
        source->index = i;
        setCompression(archive.get(), i, settings.level);
        std::uint32_t dos = (file->mode & S_IWUSR) ? 0x20 : 0x21;  // archive bit, read-only when not writable
        zip_file_set_external_attributes(archive.get(), i, 0, ZIP_OPSYS_UNIX,
                                         (static_cast<std::uint32_t>(file->mode) << 16) | dos);
        zip_file_set_mtime(archive.get(), i, file->modified, 0);
        setEntryModified(archive.get(), i, file->modified);
        sources.push_back(std::move(source));
        added.push_back(file);
    }
    run.total = added.size();
    if (added.empty() && folders == 0) {
        writer.rethrowPending();
        return writer.firstError() ? errorResult(writer) : 0;
    }
    if (added.empty()) writer.send(MessageCode::Copying, {});
    std::unique_ptr<DeflateAhead> ahead = deflateAhead(settings.level, sources);
    if (!archive.commit()) {
        writer.rethrowPending();
        if (!run.failedFile.empty()) writer.error(run.failedFile, AddZipCode::FileUnreadable);
        writer.error(settings.archiveName, AddZipCode::ArchiveNotWritten);
        return errorResult(writer);
    }
    ahead.reset();
    std::vector<const FoundFile*> streamed;
    for (const auto& source : sources)
        if (!source->servedAhead) streamed.push_back(source->file);
    sources.clear();
    writer.rethrowPending();
    storeWhatDeflateDidNotShrink(native, streamed);
    writer.send(MessageCode::Copied, {});

    // The compressed sizes are known once the archive is written.
    ArchivePtr written = openArchive(native, ZIP_RDONLY, code);
    std::size_t left = added.size();
    for (const FoundFile* file : added) {
        --left;
        zip_stat_t st;
        zip_int64_t index = written ? zip_name_locate(written.get(), file->stored.c_str(), 0) : -1;
        if (index < 0 || zip_stat_index(written.get(), static_cast<zip_uint64_t>(index), 0, &st) != 0) continue;
        writer.send(MessageCode::Zipped,
                    {"", file->stored, number(static_cast<std::int64_t>(st.size)),
                     number(static_cast<std::int64_t>(st.comp_size)), number(ratioPercent(st.size, st.comp_size)),
                     number(static_cast<std::int64_t>(left))});
    }
    return writer.firstError() ? errorResult(writer) : countResult(added.size());
}

}  // namespace addzip
