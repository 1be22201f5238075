// SPDX-License-Identifier: Apache-2.0
// velpack he2: the HE2 string codec on files or standard input, raw bytes to standard output.
#include <string>
#include <vector>

#include "platform/com/Error.h"
#include "tools/velpack/Subcommand.h"
#include "velpack/he2/HuffmanCoding.h"

namespace velpack_tool {
namespace {

constexpr std::string_view kUsage =
    "velpack he2 encode [--force] [FILE]   HE2-encode FILE or standard input\n"
    "velpack he2 decode [FILE]             decode an HE2 or HE0 string";

int runHe2(std::span<const std::string> args) {
    if (args.empty()) return usageError("he2: missing encode or decode", kUsage);
    if (isHelpRequest(args[0])) return printUsage(kUsage);
    const std::string& action = args[0];
    if (action != "encode" && action != "decode") return usageError("he2: unknown action '" + action + "'", kUsage);

    velpack::Force force = velpack::Force::No;
    std::vector<std::string> files;
    bool options = true;
    for (const std::string& arg : args.subspan(1)) {
        if (options && arg == "--") {
            options = false;
        } else if (options && isHelpRequest(arg)) {
            return printUsage(kUsage);
        } else if (options && arg == "--force" && action == "encode") {
            force = velpack::Force::Yes;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return usageError("he2 " + action + ": unknown option '" + arg + "'", kUsage);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() > 1) return usageError("he2 " + action + ": more than one FILE", kUsage);

    const std::string context = "he2 " + action;
    auto input = readInput(files.empty() ? std::string() : files.front());
    if (!input) return failure(context, input.error());
    std::string output;
    try {
        output =
            action == "encode" ? velpack::HuffmanEncode(input->bytes(), force) : velpack::HuffmanDecode(input->bytes());
    } catch (const platform::com::Error& e) {
        return componentFailure(context, e);
    }
    return writeOutput(output) ? kExitSuccess : kExitFailure;
}

}  // namespace

const Subcommand kHe2Command{"he2", kUsage, &runHe2};

}  // namespace velpack_tool
