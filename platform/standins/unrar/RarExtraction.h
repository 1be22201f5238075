// SPDX-License-Identifier: Apache-2.0
// Writing the entries of one RAR archive through the safe extractor: one extractor per folder
// the caller writes into, kept for the following entries so that names and links are judged
// against everything this archive wrote there. Part of platform/standins/unrar; depends on
// platform/standins/extract and platform/prefix.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/standins/unrar/RarReader.h"
#include "platform/standins/unrar/RarTargets.h"

namespace extract {
class Extractor;
}

namespace unrar {

class RarExtraction {
public:
    RarExtraction();
    ~RarExtraction();
    RarExtraction(const RarExtraction&) = delete;
    RarExtraction& operator=(const RarExtraction&) = delete;

    // Writes the current entry of `reader` at `target`; an UnrarResult.
    std::int32_t extract(RarReader& reader, const EntryHeader& entry, const Target& target);
    // Judges the links written into the current folder again, now that the entries are out.
    void finish();

private:
    std::string folder_;
    std::unique_ptr<extract::Extractor> extractor_;
};

}  // namespace unrar
