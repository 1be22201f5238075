// SPDX-License-Identifier: Apache-2.0
#include "tests/rarace/Rar5Writer.h"

#include <zlib.h>

namespace rar_tests {
namespace {

constexpr std::uint64_t kMainHeader = 1, kFileHeader = 2, kEndHeader = 5;
constexpr std::uint64_t kHasExtraArea = 0x01, kHasDataArea = 0x02;
constexpr std::uint64_t kFileIsFolder = 0x01, kFileHasCrc = 0x04;
constexpr std::uint64_t kHostUnix = 1;
constexpr std::uint64_t kRedirectionRecord = 5, kUnixSymbolicLink = 1;

void putNumber(std::string& out, std::uint64_t value) {
    do {
        std::uint8_t byte = value & 0x7F;
        value >>= 7;
        out += static_cast<char>(value ? (byte | 0x80) : byte);
    } while (value);
}

void putWord(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t crcOf(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// CRC-32 of the size and the header, the size, the header.
void putHeader(std::string& out, const std::string& header) {
    std::string sized;
    putNumber(sized, header.size());
    sized += header;
    putWord(out, crcOf(sized));
    out += sized;
}

std::string fileHeader(const Rar5Entry& entry) {
    bool file = entry.kind == Rar5Entry::Kind::File;
    std::string extra;
    if (entry.kind == Rar5Entry::Kind::SymbolicLink) {
        std::string record;
        putNumber(record, kRedirectionRecord);
        putNumber(record, kUnixSymbolicLink);
        putNumber(record, 0);
        putNumber(record, entry.data.size());
        record += entry.data;
        putNumber(extra, record.size());
        extra += record;
    }
    std::string header;
    putNumber(header, kFileHeader);
    // libarchive wants a data area in every file header, if only an empty one.
    putNumber(header, (extra.empty() ? 0 : kHasExtraArea) | kHasDataArea);
    if (!extra.empty()) putNumber(header, extra.size());
    putNumber(header, file ? entry.data.size() : 0);
    putNumber(header, (entry.kind == Rar5Entry::Kind::Folder ? kFileIsFolder : 0) | (file ? kFileHasCrc : 0));
    putNumber(header, file ? entry.data.size() : 0);
    putNumber(header, entry.kind == Rar5Entry::Kind::Folder ? 040755
                      : entry.kind == Rar5Entry::Kind::File ? 0100644
                                                            : 0120777);
    if (file) putWord(header, crcOf(entry.data));
    putNumber(header, 0);  // compression: version 0, stored
    putNumber(header, kHostUnix);
    putNumber(header, entry.name.size());
    header += entry.name;
    header += extra;
    return header;
}

}  // namespace

std::string rar5Archive(const std::vector<Rar5Entry>& entries) {
    std::string out("Rar!\x1a\x07\x01\x00", 8);
    std::string main;
    putNumber(main, kMainHeader);
    putNumber(main, 0);
    putNumber(main, 0);
    putHeader(out, main);
    for (const Rar5Entry& entry : entries) {
        putHeader(out, fileHeader(entry));
        if (entry.kind == Rar5Entry::Kind::File) out += entry.data;
    }
    std::string end;
    putNumber(end, kEndHeader);
    putNumber(end, 0);
    putNumber(end, 0);
    putHeader(out, end);
    return out;
}

}  // namespace rar_tests
