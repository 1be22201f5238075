// apatch PATCH OLD NEW: applies a VCDIFF patch to OLD and writes NEW, only when the whole patch
// applied. Exit status 0 on success, 1 when the patch did not apply, 2 on a usage error.
#include <iostream>
#include <string_view>

#include "platform/standins/apatch/PatchFile.h"

int main(int argc, char** argv) {
    // Answered here rather than through platform/support: the program is linked statically
    // so that it runs from wherever the patch module writes it.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "apatch (Quillon) " << QUILLON_VERSION << '\n';
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::cout << "usage: apatch PATCH OLD NEW   applies the VCDIFF patch PATCH to OLD and writes NEW\n";
        return 0;
    }
    if (argc != 4) {
        std::cerr << "usage: apatch PATCH OLD NEW\n";
        return 2;
    }
    const auto result = apatch::applyPatchFile(argv[1], argv[2], argv[3]);
    if (!result) {
        std::cerr << "apatch: " << result.error() << '\n';
        return 1;
    }
    return 0;
}
