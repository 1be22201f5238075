// SPDX-License-Identifier: Apache-2.0
// A program outside the project: it includes only <velpack/Velpack.h>, creates a ZIPFile
// through the registry of the prefix in QUILLON_PREFIX and lists the archive it is given.
#include <velpack/Velpack.h>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: outside ARCHIVE\n");
        return 2;
    }
    try {
        auto zip = platform::com::createObject<velpack::IZIPFile>("Velpack.ZIPFile");
        zip->put_ArchiveName(argv[1]);
        zip->View();
        auto contents = zip->get_ZipContents();
        for (std::int32_t i = 1; i <= contents->Count(); ++i) std::printf("%s\n", contents->Item(i).c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "outside: %s\n", e.what());
        return 1;
    }
}
