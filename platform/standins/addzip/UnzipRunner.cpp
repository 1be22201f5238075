// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/UnzipRunner.h"

#include <libdeflate.h>
#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/standins/addzip/Archive.h"
#include "platform/standins/addzip/CentralDirectory.h"
#include "platform/standins/addzip/Messages.h"
#include "platform/standins/addzip/Patterns.h"
#include "platform/standins/addzip/WorkAhead.h"
#include "platform/standins/extract/Extractor.h"

namespace addzip {

namespace {

struct FileCloser {
    void operator()(zip_file_t* f) const noexcept { zip_fclose(f); }
};
using EntryFile = std::unique_ptr<zip_file_t, FileCloser>;

AddZipCode codeOf(extract::Problem problem) {
    switch (problem) {
        case extract::Problem::UnsafeName:
            return AddZipCode::UnsafeName;
        case extract::Problem::ThroughLink:
            return AddZipCode::ThroughLink;
        case extract::Problem::UnsafeLink:
            return AddZipCode::UnsafeLink;
        case extract::Problem::DamagedEntry:
            return AddZipCode::DamagedEntry;
        case extract::Problem::Encrypted:
            return AddZipCode::Encrypted;
        case extract::Problem::UnsupportedMethod:
            return AddZipCode::UnsupportedMethod;
        default:
            return AddZipCode::WriteFailed;
    }
}

extract::Problem openProblem(zip_t* archive) {
    int error = zip_error_code_zip(zip_get_error(archive));
    zip_error_clear(archive);
    return error == ZIP_ER_COMPNOTSUPP                               ? extract::Problem::UnsupportedMethod
           : error == ZIP_ER_ENCRNOTSUPP || error == ZIP_ER_NOPASSWD ? extract::Problem::Encrypted
                                                                     : extract::Problem::DamagedEntry;
}

// An entry inflated ahead of the extractor: what libzip gave, up to one byte more than the
// entry declares (enough for the extractor to see that it runs long), and whether libzip
// reported damage after those bytes.
struct Inflated {
    bool done = false;  // false: read the entry the ordinary way
    extract::Problem problem = extract::Problem::None;
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    bool damaged = false;
};

// Entries up to this size are inflated ahead on other threads; larger ones stream through
// the caller's thread, so that memory stays bounded.
constexpr std::uint64_t kInflateAheadLimit = 8u << 20;

// A deflated entry inflated in one call by libdeflate (about twice as fast as zlib), its CRC
// checked. Anything odd (damage, a size or CRC that does not match, a stream that runs long) is
// left to libzip, so that such an entry fails exactly as it always has.
Inflated inflateWhole(zip_t* archive, zip_uint64_t index, const zip_stat_t& st, libdeflate_decompressor* decompressor) {
    // Deflate needs at most about five bytes per stored 64 KiB block above the data itself.
    if (st.comp_size > st.size + st.size / 1024 + 64) return {};
    EntryFile file(zip_fopen_index(archive, index, ZIP_FL_COMPRESSED));
    if (!file) return {};
    auto packed = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(st.comp_size));
    std::size_t got = 0;
    while (got < st.comp_size) {
        zip_int64_t n = zip_fread(file.get(), packed.get() + got, st.comp_size - got);
        if (n <= 0) return {};
        got += static_cast<std::size_t>(n);
    }
    Inflated out;
    out.data = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(st.size) + 1);
    std::size_t produced = 0;
    if (libdeflate_deflate_decompress(decompressor, packed.get(), got, out.data.get(), st.size, &produced) !=
            LIBDEFLATE_SUCCESS ||
        produced != st.size || libdeflate_crc32(0, out.data.get(), produced) != st.crc)
        return {};
    out.done = true;
    out.size = produced;
    return out;
}

Inflated inflateEntry(zip_t* archive, zip_uint64_t index, std::uint64_t declared) {
    Inflated out;
    out.done = true;
    EntryFile file(zip_fopen_index(archive, index, 0));
    if (!file) {
        out.problem = openProblem(archive);
        return out;
    }
    std::size_t capacity = static_cast<std::size_t>(declared) + 1;
    out.data = std::make_unique_for_overwrite<char[]>(capacity);
    while (out.size < capacity) {
        zip_int64_t n = zip_fread(file.get(), out.data.get() + out.size, capacity - out.size);
        if (n < 0) {
            out.damaged = true;
            break;
        }
        if (n == 0) break;
        out.size += static_cast<std::size_t>(n);
    }
    return out;
}

using InflateAhead = WorkAhead<Inflated>;

struct DecompressorList : std::vector<libdeflate_decompressor*> {
    DecompressorList() = default;
    DecompressorList(const DecompressorList&) = delete;
    DecompressorList& operator=(const DecompressorList&) = delete;
    ~DecompressorList() {
        for (libdeflate_decompressor* d : *this)
            if (d) libdeflate_free_decompressor(d);
    }
};

// One entry's bytes, inflated ahead or read from libzip now, with its progress as Unzipping
// and Unzipped messages.
class ZipEntryData final : public extract::EntryData {
public:
    ZipEntryData(zip_t* archive, zip_uint64_t index, MessageWriter& writer, const std::string& name,
                 InflateAhead* ahead, std::size_t job)
        : archive_(archive), index_(index), writer_(writer), name_(name), ahead_(ahead), job_(job) {}

    extract::Problem open() override {
        if (ahead_) {
            inflated_ = ahead_->take(job_);
            if (inflated_.done) return inflated_.problem;
        }
        file_.reset(zip_fopen_index(archive_, index_, 0));
        return file_ ? extract::Problem::None : openProblem(archive_);
    }
    std::int64_t read(char* buffer, std::size_t capacity) override {
        if (inflated_.done) {
            std::size_t n = std::min(capacity, inflated_.size - served_);
            if (n == 0) return inflated_.damaged ? -1 : 0;
            std::memcpy(buffer, inflated_.data.get() + served_, n);
            served_ += n;
            return static_cast<std::int64_t>(n);
        }
        zip_int64_t n = zip_fread(file_.get(), buffer, capacity);
        return n < 0 ? -1 : static_cast<std::int64_t>(n);
    }
    void started(std::uint64_t size) override {
        size_ = size;
        send(MessageCode::Unzipping, 0);
    }
    void advanced(std::uint64_t written) override { send(MessageCode::Unzipping, written); }
    void finished(std::uint64_t written) override {
        file_.reset();
        inflated_ = {};
        send(MessageCode::Unzipped, written);
    }

private:
    void send(MessageCode code, std::uint64_t done) {
        writer_.send(code, {"", name_, number(static_cast<std::int64_t>(size_)),
                            number(static_cast<std::int64_t>(done)), number(percentDone(done, size_))});
    }

    zip_t* archive_;
    zip_uint64_t index_;
    MessageWriter& writer_;
    const std::string& name_;
    InflateAhead* ahead_;
    std::size_t job_;
    EntryFile file_;
    Inflated inflated_;
    std::size_t served_ = 0;
    std::uint64_t size_ = 0;
};

class Extraction {
public:
    Extraction(const UnzipSettings& settings, MessageWriter& writer, zip_t* archive,
               std::filesystem::path nativeArchive, std::vector<DirectoryFields> directory,
               extract::Extractor& extractor)
        : settings_(settings),
          writer_(writer),
          archive_(archive),
          nativeArchive_(std::move(nativeArchive)),
          directory_(std::move(directory)),
          extractor_(extractor),
          include_(settings.include),
          exclude_(settings.exclude) {}

    std::size_t run() {
        zip_int64_t count = zip_get_num_entries(archive_, 0);
        planInflation(count);
        for (zip_int64_t i = 0; i < count; ++i) entry(static_cast<zip_uint64_t>(i));
        ahead_.reset();
        for (const extract::LateResult& late : extractor_.finish()) {
            writer_.error(late.name, codeOf(late.result.problem));
            --extracted_;
        }
        if (selected_ == 0) writer_.warning(settings_.archiveName, WarningCode::NothingSelected);
        return extracted_;
    }

private:
    struct Planned {
        zip_uint64_t index;
        zip_stat_t stat;
    };

    // The selected plain files that are small enough are inflated on all cores ahead of the
    // extractor. Each worker reads through its own libzip handle (one handle is not to be
    // shared between threads) and only when its entry matches the one planned here.
    void planInflation(zip_int64_t count) {
        std::vector<std::uint64_t> weights;
        for (zip_int64_t i = 0; i < count; ++i) {
            auto index = static_cast<zip_uint64_t>(i);
            zip_stat_t st;
            constexpr zip_uint64_t kNeeded = ZIP_STAT_NAME | ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC;
            if (zip_stat_index(archive_, index, ZIP_FL_ENC_GUESS, &st) != 0 || (st.valid & kNeeded) != kNeeded)
                continue;
            if (((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) ||
                st.size > kInflateAheadLimit)
                continue;
            std::string_view name = st.name;
            if (name.empty() || name.back() == '/' || name.back() == '\\' ||
                !isSelected(include_, exclude_, std::string(name)))
                continue;
            EntryMode mode = entryMode(archive_, index);
            if ((mode.unixMode && !S_ISREG(mode.mode)) || (mode.dosAttributes & 0x10)) continue;
            jobOf_.emplace(index, planned_.size());
            planned_.push_back({index, st});
            weights.push_back(st.size + 1);
        }
        if (planned_.size() < 2) return;
        unsigned threads = InflateAhead::defaultThreads();
        handles_.resize(threads);
        decompressors_.assign(threads + 1, nullptr);
        ahead_ = std::make_unique<InflateAhead>(
            std::move(weights), [this](std::size_t job, unsigned slot) { return inflatePlanned(job, slot); }, threads,
            InflateAhead::Limits{});
    }

    Inflated inflatePlanned(std::size_t job, unsigned slot) {
        const Planned& planned = planned_[job];
        zip_t* archive = archive_;
        if (slot < handles_.size()) {
            if (!handles_[slot]) {
                AddZipCode code{};
                handles_[slot] = openArchive(nativeArchive_, ZIP_RDONLY, code);
                if (!handles_[slot]) return {};
            }
            archive = handles_[slot].get();
            zip_stat_t st;
            if (zip_stat_index(archive, planned.index, ZIP_FL_ENC_GUESS, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
                std::string_view(st.name) != planned.stat.name || st.size != planned.stat.size ||
                st.comp_size != planned.stat.comp_size || st.crc != planned.stat.crc ||
                st.comp_method != planned.stat.comp_method)
                return {};
        }
        if (planned.stat.comp_method == ZIP_CM_DEFLATE) {
            libdeflate_decompressor*& decompressor = decompressors_[slot];
            if (!decompressor) decompressor = libdeflate_alloc_decompressor();
            if (decompressor) {
                Inflated whole = inflateWhole(archive, planned.index, planned.stat, decompressor);
                if (whole.done) return whole;
            }
        }
        return inflateEntry(archive, planned.index, planned.stat.size);
    }

    void entry(zip_uint64_t index) {
        zip_stat_t st;
        if (zip_stat_index(archive_, index, ZIP_FL_ENC_GUESS, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            writer_.error("", AddZipCode::DamagedEntry);
            return;
        }
        std::string name = st.name;
        std::string matchName = name;
        while (!matchName.empty() && (matchName.back() == '/' || matchName.back() == '\\')) matchName.pop_back();
        if (!isSelected(include_, exclude_, matchName)) return;
        ++selected_;

        // The stored bytes, from the directory itself when it lines up with libzip's entries:
        // libzip's raw name ends at the first NUL byte.
        const char* raw = zip_get_name(archive_, index, ZIP_FL_ENC_RAW);
        EntryMode mode = entryMode(archive_, index);
        extract::Entry entry;
        entry.name = name;
        entry.rawName = directory_.empty() ? std::string_view(raw ? raw : "") : directory_[index].rawName;
        entry.kind = mode.unixMode && S_ISLNK(mode.mode)                                    ? extract::EntryKind::Link
                     : (mode.unixMode && S_ISDIR(mode.mode)) || (mode.dosAttributes & 0x10) ? extract::EntryKind::Folder
                                                                                            : extract::EntryKind::File;
        entry.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        entry.permissions = mode.unixMode ? (mode.mode & 0777) : 0666;
        if (!mode.unixMode && (mode.dosAttributes & 0x01)) entry.permissions &= ~0222;
        entry.modified = entryModified(archive_, index, st);
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            entry.unreadable = extract::Problem::Encrypted;

        auto job = jobOf_.find(index);
        bool ahead = ahead_ && job != jobOf_.end() && entry.size == planned_[job->second].stat.size;
        ZipEntryData data(archive_, index, writer_, name, ahead ? ahead_.get() : nullptr, ahead ? job->second : 0);
        extract::EntryResult result = extractor_.extract(entry, data);
        switch (result.problem) {
            case extract::Problem::None:
                if (result.written) ++extracted_;
                break;
            case extract::Problem::KeptExisting:
                if (settings_.overwrite == Overwrite::Query && result.existing) {
                    // The question goes out; nobody answers it, so the existing file is kept.
                    writer_.send(MessageCode::QueryOverwrite,
                                 {name, number(static_cast<std::int64_t>(result.existing->size)),
                                  localDateTime(result.existing->modified), name,
                                  number(static_cast<std::int64_t>(entry.size)), localDateTime(st.mtime)});
                }
                writer_.warning(name, WarningCode::KeptExisting);
                break;
            case extract::Problem::Duplicate:
                // The first entry of a name stays, in every overwrite mode: the prefix finds
                // names without regard to case, so a second one would only shadow it.
                writer_.warning(name, WarningCode::DuplicateName);
                break;
            default:
                writer_.error(name, codeOf(result.problem));
        }
    }

    const UnzipSettings& settings_;
    MessageWriter& writer_;
    zip_t* archive_;
    std::filesystem::path nativeArchive_;
    std::vector<DirectoryFields> directory_;  // empty when it does not line up with libzip's entries
    extract::Extractor& extractor_;
    PatternList include_;
    PatternList exclude_;
    std::size_t selected_ = 0;
    std::size_t extracted_ = 0;
    std::vector<Planned> planned_;
    std::unordered_map<zip_uint64_t, std::size_t> jobOf_;  // entry index -> its planned job
    std::vector<ArchivePtr> handles_;                      // one per worker, opened by it
    DecompressorList decompressors_;                       // one per thread, the caller's last
    std::unique_ptr<InflateAhead> ahead_;                  // let go before the handles
};

}  // namespace

std::int32_t runUnzip(const UnzipSettings& settings) {
    MessageWriter writer(settings.window, "addUNZIP");
    if (settings.archiveName.empty()) {
        writer.error("", AddZipCode::NoArchiveName);
        return -writer.firstError();
    }
    AddZipCode code{};
    std::filesystem::path nativeArchive = platform::prefix::toNative(settings.archiveName);
    ArchivePtr archive = openArchive(nativeArchive, ZIP_RDONLY, code);
    if (!archive) {
        writer.error(settings.archiveName, code);
        return -writer.firstError();
    }
    std::string destination = settings.destination.empty() ? "." : settings.destination;
    extract::Options options;
    options.overwrite = settings.overwrite == Overwrite::All ? extract::Overwrite::Replace : extract::Overwrite::Keep;
    options.flatten = !settings.restoreStructure;
    options.progressStep = kProgressStep;
    std::unique_ptr<extract::Extractor> extractor =
        extract::Extractor::open(platform::prefix::toNative(destination), options);
    if (!extractor) {
        writer.error(destination, AddZipCode::DestinationUnusable);
        return -writer.firstError();
    }
    std::vector<DirectoryFields> directory = readDirectoryFields(nativeArchive);
    if (directory.size() != static_cast<std::size_t>(zip_get_num_entries(archive.get(), 0))) directory.clear();
    Extraction extraction(settings, writer, archive.get(), nativeArchive, std::move(directory), *extractor);
    std::size_t extracted = extraction.run();
    if (writer.firstError() != 0) return -writer.firstError();
    return static_cast<std::int32_t>(std::min<std::size_t>(extracted, 0x7fffffff));
}

}  // namespace addzip
