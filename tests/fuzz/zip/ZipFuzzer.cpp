// SPDX-License-Identifier: Apache-2.0
// Arbitrary bytes as an archive: listed and extracted by the addzip library. Besides the
// sanitizers' findings, anything written beside the destination folder is a finding too.
#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/forms/WindowHandles.h"
#include "platform/standins/addzip/AddZip.h"

namespace {
namespace fs = std::filesystem;

struct Scratch {
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "zip-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        // Messages are formatted and delivered like in real use; their text is checked for shape.
        window = platform::forms::registerWindow({[](std::string_view text) {
                                                      if (text.substr(0, 3) != "add") std::abort();
                                                  },
                                                  [] { return std::string(); }});
    }
    fs::path root;
    platform::forms::WindowHandle window = 0;
};

Scratch& scratch() {
    static Scratch s;
    return s;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scratch& s = scratch();
    fs::path archive = s.root / "input.zip";
    fs::path dest = s.root / "dest";
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    addZIP_Initialise();
    addZIP_SetWindowHandle(s.window);
    addZIP_ArchiveName(archive.c_str());
    addZIP_View(-1);
    addZIP();

    addUNZIP_Initialise();
    addUNZIP_SetWindowHandle(s.window);
    addUNZIP_ArchiveName(archive.c_str());
    addUNZIP_ExtractTo(dest.c_str());
    addUNZIP();

    // Only the archive and the destination may be there.
    for (const auto& entry : fs::directory_iterator(s.root)) {
        std::string name = entry.path().filename().string();
        if (name != "input.zip" && name != "dest") {
            std::fprintf(stderr, "written outside the destination: %s\n", name.c_str());
            std::abort();
        }
    }
    std::error_code ec;
    fs::remove_all(dest, ec);
    return 0;
}
