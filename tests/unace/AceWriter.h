// SPDX-License-Identifier: Apache-2.0
// Writes small stored-method ACE archives for tests: headers with their CRCs, optional
// 64-bit headers, a self-extractor stub, volumes, and hand-made damage.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace unace_test {

struct AceEntry {
    std::string name;
    std::string data;
    bool directory = false;
    bool wide = false;               // 64-bit FILE header (type 3)
    std::uint16_t extraFlags = 0;    // e.g. continued/continues flags for volume tests
    std::int64_t crcOverride = -1;   // a wrong checksum when set
    std::int64_t sizeOverride = -1;  // ORIG_SIZE other than data.size()
};

struct AceVolumeOptions {
    bool multiVolume = false;
    std::uint8_t volumeNumber = 0;
    bool solid = false;
    std::string stub;  // bytes before the archive (a self-extractor)
};

std::string fileHeader(const AceEntry& entry);
std::string mainHeader(const AceVolumeOptions& options);
std::string aceArchive(const std::vector<AceEntry>& entries, const AceVolumeOptions& options = {});
void writeBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace unace_test
