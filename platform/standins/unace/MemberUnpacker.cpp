#include "platform/standins/unace/MemberUnpacker.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/standins/unace/AceChecksum.h"
#include "platform/standins/unace/AceCipher.h"
#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/BlockedDecoder.h"
#include "platform/standins/unace/Lz77Decoder.h"
#include "platform/standins/unace/UnAce.h"

namespace unace {

void throwCorrupt(const char* what) {
    throw AceError(ACE_ERROR_DATA, what);
}

namespace {

class ChecksummingSink : public OutputSink {
public:
    explicit ChecksummingSink(OutputSink& inner) : inner_(inner) {}
    void write(const std::uint8_t* data, std::size_t size) override {
        crc_ = aceCrc32(crc_, data, size);
        inner_.write(data, size);
    }
    std::uint32_t crc() const { return crc_; }

private:
    OutputSink& inner_;
    std::uint32_t crc_ = kAceCrcStart;
};

void unpackStored(ByteSource& in, HistoryWindow& history, std::uint64_t size, OutputSink& sink) {
    std::vector<std::uint8_t> buf(64u << 10);
    while (size > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), size));
        const std::size_t got = in.read(buf.data(), want);
        if (got == 0) throwCorrupt("stored data end early");
        history.append(buf.data(), got);
        sink.write(buf.data(), got);
        size -= got;
    }
}

void unpackLz77(BitReader& in, HistoryWindow& history, std::uint64_t size, OutputSink& sink) {
    Lz77Decoder lz(in, history, Lz77Decoder::Symbols::Ace10);
    std::vector<std::uint8_t> buf;
    while (size > 0) {
        buf.clear();
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(64u << 10, size));
        const auto limit = static_cast<std::size_t>(std::min<std::uint64_t>(size, SIZE_MAX));
        lz.run(buf, want, limit);
        sink.write(buf.data(), buf.size());
        size -= buf.size();
    }
}

}  // namespace

void unpackMember(ByteSource& packed, const MemberCoding& coding, std::string_view password, HistoryWindow& history,
                  OutputSink& sink) {
    if (coding.method > 2) throw AceError(ACE_ERROR_METHOD, "unknown compression method");
    if (coding.encrypted && password.empty()) throw AceError(ACE_ERROR_PASSWORD, "encrypted entry, no password");
    if (!coding.solid) history.forget();
    std::optional<DecryptingSource> decrypted;
    if (coding.encrypted) decrypted.emplace(packed, deriveAceKey(password));
    ByteSource& source = decrypted ? static_cast<ByteSource&>(*decrypted) : packed;
    ChecksummingSink checked(sink);
    if (coding.size > 0) {
        if (coding.method == 0) {
            unpackStored(source, history, coding.size, checked);
        } else {
            BitReader bits(source);
            if (coding.method == 1) {
                unpackLz77(bits, history, coding.size, checked);
            } else {
                unpackBlocked(bits, history, coding.size, checked);
            }
        }
    }
    if (checked.crc() != coding.crc) {
        throw AceError(ACE_ERROR_CRC, coding.encrypted ? "wrong password or damaged data" : "checksum mismatch");
    }
}

}  // namespace unace
