// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/AceHeaders.h"

#include <cstring>

#include "platform/standins/unace/AceChecksum.h"
#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/UnAce.h"

namespace unace {

namespace {

[[noreturn]] void badHeader(const char* what) {
    throw AceError(ACE_ERROR_HEADER, what);
}

// Reads fields of one header; never past its end.
class Fields {
public:
    Fields(const std::uint8_t* bytes, std::size_t end) : bytes_(bytes), end_(end) {}
    std::size_t pos() const { return pos_; }
    std::size_t end() const { return end_; }
    void seek(std::size_t pos) {
        if (pos > end_) badHeader("header field out of bounds");
        pos_ = pos;
    }
    std::uint64_t number(std::size_t width) {
        need(width);
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i) v |= std::uint64_t{bytes_[pos_ + i]} << (8 * i);
        pos_ += width;
        return v;
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(number(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(number(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(number(4)); }
    std::string text(std::size_t length) {
        need(length);
        std::string s(reinterpret_cast<const char*>(bytes_ + pos_), length);
        pos_ += length;
        return s;
    }
    std::uint8_t at(std::size_t pos) const { return bytes_[pos]; }

private:
    void need(std::size_t n) const {
        if (n > end_ - pos_) badHeader("header field out of bounds");
    }
    const std::uint8_t* bytes_;
    std::size_t end_;
    std::size_t pos_ = 0;
};

bool commentEndsAt(Fields& f, std::size_t sizePos, std::size_t& commentEnd) {
    if (sizePos + 2 > f.end()) return false;
    const std::size_t length = f.at(sizePos) | std::size_t{f.at(sizePos + 1)} << 8;
    commentEnd = sizePos + 2 + length;
    return commentEnd <= f.end();
}

void parseMain(Fields& f, Header& h) {
    MainHeader& m = h.main;
    m.flags = static_cast<std::uint16_t>(f.number(2));
    if (m.flags & 0x0001) badHeader("main header with a data area");
    if (f.text(7) != "**ACE**") badHeader("no ACE signature");
    m.versionExtract = f.u8();
    m.versionCreated = f.u8();
    m.hostCreated = f.u8();
    m.volumeNumber = f.u8();
    m.timeCreated = f.u32();
    f.seek(f.pos() + 8);
    if (m.flags & kMainAdvert) {
        m.advert = f.text(f.u8());
    } else if (f.pos() < f.end() && f.at(f.pos()) == 0) {
        // Archives from registered versions write a zero advert size with the flag clear.
        std::size_t withByte = 0;
        std::size_t withoutByte = 0;
        const bool fitsWith = commentEndsAt(f, f.pos() + 1, withByte);
        const bool fitsWithout = commentEndsAt(f, f.pos(), withoutByte);
        bool skip = !(m.flags & kMainComment) || fitsWith;
        if (fitsWith && fitsWithout && withoutByte == f.end() && withByte != f.end()) skip = false;
        if (skip) f.seek(f.pos() + 1);
    }
    if (m.flags & kMainComment) m.packedComment = f.text(f.u16());
}

void parseFile(Fields& f, Header& h, bool wide) {
    FileHeader& file = h.file;
    file.flags = f.u16();
    if (wide != ((file.flags & kFile64Bit) != 0)) badHeader("64-bit flag does not match the header type");
    const std::size_t width = wide ? 8 : 4;
    // The size field is there even when a crafted header clears its flag.
    file.packedSize = f.number(width);
    file.size = f.number(width);
    file.time = f.u32();
    file.attributes = f.u32();
    file.crc = f.u32();
    file.method = f.u8();
    file.quality = f.u8();
    file.params = f.u16();
    f.seek(f.pos() + 2);
    std::string name = f.text(f.u16());
    if (const auto nul = name.find('\0'); nul != std::string::npos) name.resize(nul);
    file.name = std::move(name);
    if (file.flags & kFileComment) file.packedComment = f.text(f.u16());
    if (file.flags & kFileNtSecurity) f.text(f.u16());
    h.dataSize = file.packedSize;
}

}  // namespace

std::size_t headerSizeOf(const std::uint8_t* bytes) {
    return kHeaderPrefix + (bytes[2] | std::size_t{bytes[3]} << 8);
}

Header parseHeader(const std::uint8_t* bytes, std::size_t size) {
    if (size < kHeaderPrefix) badHeader("header cut short");
    Header h;
    h.headerSize = headerSizeOf(bytes);
    if (h.headerSize > size) badHeader("header cut short");
    const std::uint16_t crc = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    if (aceCrc16(bytes + kHeaderPrefix, h.headerSize - kHeaderPrefix) != crc) badHeader("header CRC mismatch");
    Fields f(bytes, h.headerSize);
    f.seek(kHeaderPrefix);
    const std::uint8_t type = f.u8();
    switch (type) {
        case 0:
            h.kind = HeaderKind::Main;
            parseMain(f, h);
            break;
        case 1:
        case 3:
            h.kind = HeaderKind::File;
            parseFile(f, h, type == 3);
            break;
        default: {
            h.kind = HeaderKind::Other;
            const std::uint16_t flags = f.u16();
            const bool wide = type == 4 || type == 5 || (type != 2 && (flags & 0x0004));
            if (type == 2 || type == 4 || type == 5 || (flags & 0x0001)) h.dataSize = f.number(wide ? 8 : 4);
            break;
        }
    }
    return h;
}

}  // namespace unace
