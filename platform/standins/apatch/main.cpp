// SPDX-License-Identifier: Apache-2.0
// apatch PATCH OLD NEW: applies a VCDIFF patch to OLD and writes NEW, only when the whole patch
// applied. Exit status 0 on success, 1 when the patch did not apply, 2 on a usage error.
#include <iostream>

#include "platform/standins/apatch/PatchFile.h"
#include "platform/support/StandardOptions.h"

int main(int argc, char** argv) {
    if (auto status = platform::answerStandardOptions(
            argc, argv, "apatch", "usage: apatch PATCH OLD NEW   applies the VCDIFF patch PATCH to OLD and writes NEW"))
        return *status;
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
