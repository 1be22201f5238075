// SPDX-License-Identifier: Apache-2.0
#include "tests/unace/AceWriter.h"

#include <fstream>
#include <stdexcept>

#include "platform/standins/unace/AceChecksum.h"

namespace unace_test {

namespace {
void put(std::string& out, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
// HEAD_CRC and HEAD_SIZE in front of the body.
std::string framed(const std::string& body) {
    const auto crc = unace::aceCrc16(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
    std::string out;
    put(out, crc, 2);
    put(out, body.size(), 2);
    return out + body;
}
}  // namespace

std::string mainHeader(const AceVolumeOptions& options) {
    std::string body;
    body.push_back(0);  // MAIN
    std::uint16_t flags = 0;
    if (options.multiVolume) flags |= 0x0800;
    if (options.solid) flags |= 0x8000;
    put(body, flags, 2);
    body += "**ACE**";
    body.push_back(10);  // version to extract
    body.push_back(20);  // version created
    body.push_back(2);   // Win32
    body.push_back(static_cast<char>(options.volumeNumber));
    put(body, 0x5A210000u, 4);
    body.append(8, '\0');
    body.push_back(0);  // no advert
    return framed(body);
}

std::string fileHeader(const AceEntry& e) {
    std::string body;
    body.push_back(e.wide ? 3 : 1);
    std::uint16_t flags = 0x0001 | e.extraFlags;
    if (e.wide) flags |= 0x0004;
    put(body, flags, 2);
    const int width = e.wide ? 8 : 4;
    put(body, e.data.size(), width);
    put(body, e.sizeOverride >= 0 ? static_cast<std::uint64_t>(e.sizeOverride) : e.data.size(), width);
    put(body, 0x5A210000u, 4);
    put(body, e.directory ? 0x10 : 0x20, 4);
    const auto crc = unace::aceCrc32(reinterpret_cast<const std::uint8_t*>(e.data.data()), e.data.size());
    put(body, e.crcOverride >= 0 ? static_cast<std::uint64_t>(e.crcOverride) : crc, 4);
    body.push_back(0);  // stored
    body.push_back(0);
    put(body, 0x000A, 2);
    put(body, 0, 2);
    put(body, e.name.size(), 2);
    body += e.name;
    return framed(body) + e.data;
}

std::string aceArchive(const std::vector<AceEntry>& entries, const AceVolumeOptions& options) {
    std::string out = options.stub + mainHeader(options);
    for (const AceEntry& e : entries) out += fileHeader(e);
    return out;
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace unace_test
