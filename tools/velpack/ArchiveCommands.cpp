// SPDX-License-Identifier: Apache-2.0
// velpack rar and velpack ace: list and extract RAR and ACE archives through RARFile and
// ACEFile, with the Extracting and Extracted events printed as they come. Entry names come from
// the archive: control characters in them are shown, never sent to the terminal.
#include <cstdio>
#include <string>
#include <vector>

#include <velpack/Velpack.h>
#include "platform/com/Error.h"
#include "platform/com/Events.h"
#include "platform/gorsl/gorsla/Tools.h"
#include "platform/support/VisibleText.h"
#include "tools/velpack/Subcommand.h"
#include "velpack/frame/Factories.h"
#include "velpack/frame/ToolLibrary.h"

namespace velpack_tool {
namespace {

template <class Events>
class EventPrinter final : public platform::com::Object<Events> {
public:
    int failed = 0;

    void Extracting(const std::string& name) override {
        std::printf("Extracting: %s\n", platform::visibleText(name).c_str());
    }
    void Extracted(const std::string& name, velpack::Boolean success) override {
        if (success) {
            std::printf("Extracted: %s\n", platform::visibleText(name).c_str());
        } else {
            ++failed;
            std::printf("Extracted: %s (failed)\n", platform::visibleText(name).c_str());
        }
        std::fflush(stdout);
    }
};

struct Options {
    std::vector<std::string> positional;
    std::string password;
    std::string files;
};

template <class Interface, class Events>
int runArchiveCommand(std::string_view format, std::string_view usage, velpack::Ptr<velpack::Unknown> (*create)(),
                      std::span<const std::string> args) {
    const std::string name(format);
    if (args.empty()) return usageError(name + ": missing list or extract", usage);
    if (isHelpRequest(args[0])) return printUsage(usage);
    const std::string& action = args[0];
    if (action != "list" && action != "extract") return usageError(name + ": unknown action '" + action + "'", usage);
    const std::string context = name + " " + action;
    Options o;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (isHelpRequest(arg)) return printUsage(usage);
        if (action == "extract" && (arg == "--password" || arg == "--files")) {
            if (i + 1 >= args.size()) return usageError(context + ": " + arg + " needs a value", usage);
            (arg == "--password" ? o.password : o.files) = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            return usageError(context + ": unknown option '" + arg + "'", usage);
        } else if (arg != "--") {
            o.positional.push_back(arg);
        }
    }
    if (o.positional.empty()) return usageError(context + ": missing ARCHIVE", usage);
    if (o.positional.size() > (action == "list" ? 1u : 2u))
        return usageError(context + (action == "list" ? ": one ARCHIVE only" : ": ARCHIVE [DEST] only"), usage);

    try {
        // The tool library is linked in, so the command works without a prefix.
        velpack::useGorsla(gorsl::createTools().query<gorsl::IGorsla>());
        auto archive = create().template query<Interface>();
        auto printer = platform::com::make<EventPrinter<Events>>();
        archive.template query<platform::com::IEventSource>()->advise(Events::iid, printer.get());
        archive->put_ArchiveName(o.positional[0]);
        if (action == "list") {
            if (!archive->View()) return failure(context, "cannot open " + o.positional[0]);
            velpack::Ptr<velpack::IStringCollection> contents = archive->get_ArchiveContents();
            for (std::int32_t i = 1; contents && i <= contents->Count(); ++i)
                std::printf("%s\n", platform::visibleText(contents->Item(i)).c_str());
            return kExitSuccess;
        }
        archive->put_Password(o.password);
        std::int32_t result = archive->Extract(o.positional.size() > 1 ? o.positional[1] : std::string(), o.files);
        if (result != 1) return failure(context, "cannot open " + o.positional[0]);
        return printer->failed == 0 ? kExitSuccess : kExitFailure;
    } catch (const platform::com::Error& e) {
        return componentFailure(context, e);
    }
}

constexpr std::string_view kRarUsage =
    "velpack rar list ARCHIVE\n"
    "velpack rar extract ARCHIVE [DEST] [--password P] [--files \"a.txt;b.txt\"]";
constexpr std::string_view kAceUsage =
    "velpack ace list ARCHIVE\n"
    "velpack ace extract ARCHIVE [DEST] [--password P] [--files \"a.txt;b.txt\"]";

int runRar(std::span<const std::string> args) {
    return runArchiveCommand<velpack::IRARFile, velpack::IRARFileEvents>("rar", kRarUsage, velpack::createRARFile,
                                                                         args);
}
int runAce(std::span<const std::string> args) {
    return runArchiveCommand<velpack::IACEFile, velpack::IACEFileEvents>("ace", kAceUsage, velpack::createACEFile,
                                                                         args);
}

}  // namespace

const Subcommand kRarCommand{"rar", kRarUsage, &runRar};
const Subcommand kAceCommand{"ace", kAceUsage, &runAce};

}  // namespace velpack_tool
