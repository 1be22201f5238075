// SPDX-License-Identifier: Apache-2.0
// velpack zip: lists, extracts, adds to and deletes from ZIP archives through ZIPFile, with
// its events printed as progress lines. Several patterns in one option are separated by "|".
#include <cstdio>
#include <string>
#include <vector>

#include <velpack/Velpack.h>
#include "platform/com/Error.h"
#include "platform/com/Events.h"
#include "platform/standins/addzip/Messages.h"
#include "platform/support/VisibleText.h"
#include "tools/velpack/Subcommand.h"
#include "velpack/frame/Factories.h"

namespace velpack_tool {
namespace {

constexpr std::string_view kUsage =
    "velpack zip list ARCHIVE\n"
    "velpack zip extract ARCHIVE [DEST] [--include P] [--exclude P]\n"
    "velpack zip add ARCHIVE FILES... [--level 0-3] [--recurse] [--structure none|relative|absolute]\n"
    "velpack zip delete ARCHIVE FILES...";

std::string joinPatterns(const std::string& list, const std::string& more) {
    return list.empty() ? more : list + "|" + more;
}

// Prints the events; errors and warnings go to standard error and are counted. Names and
// comments come from the archive: their control characters are shown, never sent raw.
class ProgressPrinter final : public platform::com::Object<velpack::IZIPFileEvents> {
public:
    explicit ProgressPrinter(std::string context) : context_(std::move(context)) {}
    int errors = 0;

    void Searching(const std::string& pattern, const std::string& directory) override {
        std::printf("searching: %s in %s\n", platform::visibleText(pattern).c_str(),
                    platform::visibleText(directory.empty() ? "." : directory).c_str());
    }
    void ZipComment(const std::string& comment) override {
        std::printf("comment: %s\n", platform::visibleText(comment, platform::LineBreaks::Kept).c_str());
    }
    void Zipping(const std::string& name, std::int32_t, std::int32_t read, std::int16_t, std::int32_t) override {
        if (read == 0) std::printf("  adding: %s\n", platform::visibleText(name).c_str());
    }
    void Zipped(const std::string& name, std::int32_t size, std::int32_t packed, std::int16_t ratio,
                std::int32_t) override {
        std::printf("   added: %s (%d -> %d bytes, %d%% saved)\n", platform::visibleText(name).c_str(), size, packed,
                    ratio);
    }
    void Unzipped(const std::string& name, std::int32_t size, std::int32_t, std::int16_t) override {
        std::printf("extracted: %s (%d bytes)\n", platform::visibleText(name).c_str(), size);
    }
    void Deleted(const std::string& name) override {
        std::printf(" deleted: %s\n", platform::visibleText(name).c_str());
        ++deleted;
    }
    void View(const std::string& path, const std::string& name, std::int32_t size, std::int32_t packed,
              std::int16_t ratio, const std::string& date, const std::string& time, const std::string&, std::int16_t,
              velpack::Boolean encrypted, const std::string& crc, velpack::Boolean, const std::string&,
              const std::string&) override {
        std::string full = path.empty() ? name : path + "\\" + name;
        for (char& c : full)
            if (c == '\\') c = '/';
        std::printf("%10d %10d %3d%%  %s %s  %s%s  %s\n", size, packed, ratio, platform::visibleText(date).c_str(),
                    platform::visibleText(time).c_str(), platform::visibleText(crc).c_str(), encrypted ? "*" : " ",
                    platform::visibleText(full).c_str());
        ++listed;
    }
    void Error(const std::string& name, std::int32_t code) override {
        ++errors;
        std::string text(addzip::errorText(code));
        std::fprintf(stderr, "velpack %s: %s: %s (error %d)\n", platform::visibleText(context_).c_str(),
                     platform::visibleText(name.empty() ? "-" : name).c_str(), text.c_str(), code);
    }
    void Warning(const std::string& name, std::int32_t code) override {
        std::string text(addzip::warningText(code));
        std::fprintf(stderr, "velpack %s: warning: %s: %s\n", platform::visibleText(context_).c_str(),
                     platform::visibleText(name.empty() ? "-" : name).c_str(), text.c_str());
    }
    int listed = 0;
    int deleted = 0;

private:
    std::string context_;
};

struct Options {
    std::vector<std::string> positional;
    std::string include, exclude;
    int level = -1;
    bool recurse = false;
    velpack::azStructureConstants structure = velpack::azsRelative;
};

// Parses the options `action` takes; returns an exit status when the command line is wrong.
int parse(const std::string& action, std::span<const std::string> args, Options& o) {
    bool extract = action == "extract", add = action == "add";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (isHelpRequest(arg)) {
            return printUsage(kUsage);
        } else if (extract && (arg == "--include" || arg == "--exclude")) {
            if (!value(v)) return usageError("zip extract: " + arg + " needs a pattern", kUsage);
            (arg == "--include" ? o.include : o.exclude) = joinPatterns(arg == "--include" ? o.include : o.exclude, v);
        } else if (add && arg == "--level") {
            if (!value(v) || v.size() != 1 || v[0] < '0' || v[0] > '3')
                return usageError("zip add: --level takes 0, 1, 2 or 3", kUsage);
            o.level = v[0] - '0';
        } else if (add && arg == "--recurse") {
            o.recurse = true;
        } else if (add && arg == "--structure") {
            if (!value(v)) v.clear();
            if (v == "none")
                o.structure = velpack::azsNone;
            else if (v == "relative")
                o.structure = velpack::azsRelative;
            else if (v == "absolute")
                o.structure = velpack::azsAbsolute;
            else
                return usageError("zip add: --structure takes none, relative or absolute", kUsage);
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            return usageError("zip " + action + ": unknown option '" + arg + "'", kUsage);
        } else if (arg != "--") {
            o.positional.push_back(arg);
        }
    }
    return -1;
}

int runZip(std::span<const std::string> args) {
    if (args.empty()) return usageError("zip: missing list, extract, add or delete", kUsage);
    if (isHelpRequest(args[0])) return printUsage(kUsage);
    const std::string& action = args[0];
    if (action != "list" && action != "extract" && action != "add" && action != "delete")
        return usageError("zip: unknown action '" + action + "'", kUsage);
    Options o;
    if (int status = parse(action, args.subspan(1), o); status >= 0) return status;
    const std::string context = "zip " + action;
    if (o.positional.empty()) return usageError(context + ": missing ARCHIVE", kUsage);
    if (action == "list" && o.positional.size() != 1) return usageError(context + ": one ARCHIVE only", kUsage);
    if (action == "extract" && o.positional.size() > 2) return usageError(context + ": ARCHIVE [DEST] only", kUsage);
    if ((action == "add" || action == "delete") && o.positional.size() < 2)
        return usageError(context + ": missing FILES", kUsage);

    try {
        auto zip = velpack::createZIPFile().query<velpack::IZIPFile>();
        auto printer = platform::com::make<ProgressPrinter>(context);
        zip.query<platform::com::IEventSource>()->advise(velpack::IZIPFileEvents::iid, printer.get());
        zip->put_ArchiveName(o.positional[0]);
        std::string files;
        for (std::size_t i = 1; i < o.positional.size(); ++i) files = joinPatterns(files, o.positional[i]);
        std::int32_t result = 0;
        if (action == "list") {
            zip->View();
        } else if (action == "extract") {
            result = zip->Extract(o.positional.size() > 1 ? o.positional[1] : std::string("."), o.include, o.exclude);
        } else if (action == "add") {
            if (o.level >= 0) zip->put_CompressionLevel(static_cast<velpack::azCompressionLevels>(o.level));
            zip->put_Recurse(platform::com::toBoolean(o.recurse));
            zip->put_SaveStructure(o.structure);
            result = zip->Compress(files);
        } else {
            zip->Delete(files);
            // Nothing matched: the warning said so, and a script must see it failed.
            if (printer->deleted == 0) return kExitFailure;
        }
        if (printer->errors > 0 || result < 0) {
            // The Error lines said why; a failure without one still needs its reason.
            if (printer->errors == 0) return failure(context, std::string(addzip::errorText(-result)));
            return kExitFailure;
        }
        return kExitSuccess;
    } catch (const platform::com::Error& e) {
        return componentFailure(context, e);
    }
}

}  // namespace

const Subcommand kZipCommand{"zip", kUsage, &runZip};

}  // namespace velpack_tool
