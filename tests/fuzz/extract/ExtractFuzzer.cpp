// SPDX-License-Identifier: Apache-2.0
// Arbitrary bytes as a run of archive entries for the safe extractor. One entry per line:
// the first byte picks file, folder or link, then the name, a tab, and the content (a link's
// target). Besides the sanitizers' findings, a link left resolving outside the destination and
// anything written beside the destination are findings too.
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/standins/extract/Extractor.h"

namespace {
namespace fs = std::filesystem;

class TextData final : public extract::EntryData {
public:
    explicit TextData(std::string_view text) : text_(text) {}
    std::int64_t read(char* buffer, std::size_t capacity) override {
        std::size_t n = std::min(capacity, text_.size() - at_);
        std::copy_n(text_.data() + at_, n, buffer);
        at_ += n;
        return static_cast<std::int64_t>(n);
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

const fs::path& scratch() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "extract-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        return fs::path(pattern);
    }();
    return root;
}

std::string realPath(const fs::path& p) {
    char buffer[PATH_MAX];
    return ::realpath(p.c_str(), buffer) ? buffer : "";
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path dest = scratch() / "dest";
    fs::remove_all(dest);
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto extractor = extract::Extractor::open(
        dest, {.overwrite = size % 2 ? extract::Overwrite::Keep : extract::Overwrite::Replace});
    if (!extractor) std::abort();
    while (!input.empty()) {
        std::size_t end = std::min(input.find('\n'), input.size());
        std::string_view line = input.substr(0, end);
        input.remove_prefix(std::min(end + 1, input.size()));
        if (line.empty()) continue;
        auto kind = static_cast<extract::EntryKind>(static_cast<unsigned char>(line[0]) % 3);
        line.remove_prefix(1);
        std::size_t tab = std::min(line.find('\t'), line.size());
        std::string_view name = line.substr(0, tab);
        std::string_view content = tab < line.size() ? line.substr(tab + 1) : std::string_view();
        TextData entryData(content);
        extractor->extract({.name = name, .kind = kind, .size = content.size()}, entryData);
    }
    extractor->finish();

    std::string root = realPath(dest);
    for (const auto& entry : fs::recursive_directory_iterator(dest)) {
        if (!entry.is_symlink()) continue;
        std::string resolved = realPath(entry.path());  // empty when dangling or a loop
        if (!resolved.empty() && resolved != root && !resolved.starts_with(root + "/")) std::abort();
    }
    for (const auto& entry : fs::directory_iterator(scratch()))
        if (entry.path() != dest) std::abort();
    return 0;
}
