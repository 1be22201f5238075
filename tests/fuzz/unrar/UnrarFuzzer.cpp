// SPDX-License-Identifier: Apache-2.0
// Arbitrary bytes as a RAR archive (or an executable with one inside): listed, tested and
// extracted through the UnRAR functions as the RAR archive class drives them. Besides the
// sanitizers' findings, anything written beside the destination folder is a finding too, and so
// is a header loop that does not end.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/standins/unrar/UnRAR.h"

namespace {
namespace fs = std::filesystem;

fs::path scratch() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "unrar-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        return fs::path(pattern);
    }();
    return root;
}

// Every header, each entry worked on with `operation` as the component would.
void run(const std::string& archiveName, std::uint32_t mode, std::int32_t operation, const std::string& dest) {
    RAROpenArchiveData open{};
    open.OpenMode = mode;
    UnrarArchive* archive = RAROpenArchive(&open, archiveName.c_str());
    if (!archive) return;
    RARHeaderData header{};
    for (int headers = 0; RARReadHeader(archive, &header) == UNRAR_OK; ++headers) {
        if (headers > 100000) std::abort();  // reading must end
        std::string target = operation == UNRAR_EXTRACT ? dest + "/" + header.FileName : std::string();
        RARProcessFile(archive, operation, "", target.c_str());
    }
    RARCloseArchive(archive);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fs::path root = scratch();
    fs::path archive = root / "input.rar";
    fs::path dest = root / "dest";
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    run(archive.string(), UNRAR_OPEN_LIST, UNRAR_SKIP, "");
    run(archive.string(), UNRAR_OPEN_EXTRACT, UNRAR_TEST, "");
    run(archive.string(), UNRAR_OPEN_EXTRACT, UNRAR_EXTRACT, dest.string());

    // Only the archive and the destination may be there.
    for (const auto& entry : fs::directory_iterator(root)) {
        std::string name = entry.path().filename().string();
        if (name != "input.rar" && name != "dest") {
            std::fprintf(stderr, "written outside the destination: %s\n", name.c_str());
            std::abort();
        }
    }
    std::error_code ec;
    fs::remove_all(dest, ec);
    return 0;
}
