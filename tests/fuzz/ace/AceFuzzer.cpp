// SPDX-License-Identifier: Apache-2.0
// Arbitrary bytes through the ACE reader, two ways chosen by the first byte: as an archive file
// opened, listed and extracted through the UnACE functions (anything written beside the
// destination folder is a finding), or straight into a member decoder (method, flags and size
// from the next bytes, the rest as packed data), which random bytes reach far more often than
// through headers with checksums.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/MemberUnpacker.h"
#include "platform/standins/unace/UnAce.h"

namespace {
namespace fs = std::filesystem;

// Decoded members are bounded so that one input cannot run for long.
constexpr std::uint64_t kMaxMemberSize = 1u << 20;

class Discard : public unace::OutputSink {
public:
    void write(const std::uint8_t*, std::size_t) override {}
};

unace::HistoryWindow& history() {
    static unace::HistoryWindow window;
    return window;
}

void decodeMember(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return;
    unace::MemberCoding coding;
    coding.method = data[1] % 3;
    coding.solid = (data[1] & 0x10) != 0;
    coding.encrypted = (data[1] & 0x20) != 0;
    std::uint32_t length = 0;
    std::memcpy(&length, data + 2, 4);
    coding.size = length % kMaxMemberSize;
    unace::MemorySource source(data + 6, size - 6);
    Discard discard;
    try {
        unace::unpackMember(source, coding, coding.encrypted ? "1234" : "", history(), discard);
    } catch (const unace::AceError&) {
    }
}

void readArchive(const std::uint8_t* data, std::size_t size) {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "ace-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        return fs::path(pattern);
    }();
    const fs::path archive = root / "input.ace";
    const fs::path dest = root / "dest";
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    ACEOpenArchiveData open{};
    open.openMode = ACE_OPEN_EXTRACT;
    ACEHandle handle = ACEOpenArchive(&open, archive.c_str());
    if (handle == nullptr) return;
    ACESetPassword(handle, "1234");
    ACEHeaderData header{};
    int entries = 0;
    while (ACEReadHeader(handle, &header) == ACE_SUCCESS && ++entries < 64) {
        std::uint64_t length = header.unpackedSize | std::uint64_t{header.unpackedSizeHigh} << 32;
        const std::string target = dest.string() + "\\" + header.fileName;
        ACEProcessFile(handle, length <= kMaxMemberSize ? ACE_EXTRACT : ACE_SKIP, target.c_str());
    }
    ACECloseArchive(handle);
    for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.path() != archive && entry.path() != dest) std::abort();  // written outside
    }
    fs::remove_all(dest);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        readArchive(data, size);
    } else {
        decodeMember(data, size);
    }
    return 0;
}
