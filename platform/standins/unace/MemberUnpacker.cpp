// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/MemberUnpacker.h"

#include <algorithm>
#include <cstring>

#include "platform/standins/unace/AceChecksum.h"
#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/UnAce.h"

namespace unace {

void throwCorrupt(const char* what) {
    throw AceError(ACE_ERROR_DATA, what);
}

namespace {
constexpr std::size_t kPiece = 64u << 10;
}

MemberReader::MemberReader(ByteSource& packed, const MemberCoding& coding, std::string_view password,
                           HistoryWindow& history)
    : coding_(coding), history_(history), crc_(kAceCrcStart) {
    if (coding.method > 2) throw AceError(ACE_ERROR_METHOD, "unknown compression method");
    if (coding.encrypted && password.empty()) throw AceError(ACE_ERROR_PASSWORD, "encrypted entry, no password");
    history.allocate();
    if (!coding.solid) history.forget();
    source_ = &packed;
    if (coding.encrypted) {
        decrypted_.emplace(packed, deriveAceKey(password));
        source_ = &*decrypted_;
    }
    if (coding.method != 0 && coding.size > 0) {
        bits_ = std::make_unique<BitReader>(*source_);
        if (coding.method == 1) {
            lz77_ = std::make_unique<Lz77Decoder>(*bits_, history, Lz77Decoder::Symbols::Ace10);
        } else {
            blocked_ = std::make_unique<BlockedDecoder>(*bits_, history, coding.size, buffer_);
        }
    }
}

MemberReader::~MemberReader() = default;

void MemberReader::refill() {
    buffer_.bytes.clear();
    buffer_.pos = 0;
    const std::uint64_t left = coding_.size - produced_;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, left));
    if (coding_.method == 0) {
        buffer_.bytes.resize(want);
        const std::size_t got = source_->read(buffer_.bytes.data(), want);
        if (got == 0) throwCorrupt("stored data end early");
        buffer_.bytes.resize(got);
        history_.append(buffer_.bytes.data(), got);
    } else if (lz77_) {
        lz77_->run(buffer_.bytes, want, static_cast<std::size_t>(std::min<std::uint64_t>(left, SIZE_MAX)));
    } else {
        blocked_->step();
    }
    crc_ = aceCrc32(crc_, buffer_.bytes.data(), buffer_.bytes.size());
    produced_ += buffer_.bytes.size();
}

std::size_t MemberReader::read(std::uint8_t* data, std::size_t capacity) {
    while (buffer_.pos == buffer_.bytes.size() && produced_ < coding_.size) refill();
    if (buffer_.pos == buffer_.bytes.size()) {
        if (!checked_) {
            if (crc_ != coding_.crc) {
                throw AceError(ACE_ERROR_CRC,
                               coding_.encrypted ? "wrong password or damaged data" : "checksum mismatch");
            }
            checked_ = true;
        }
        return 0;
    }
    const std::size_t n = std::min(capacity, buffer_.bytes.size() - buffer_.pos);
    std::memcpy(data, buffer_.bytes.data() + buffer_.pos, n);
    buffer_.pos += n;
    return n;
}

void unpackMember(ByteSource& packed, const MemberCoding& coding, std::string_view password, HistoryWindow& history,
                  OutputSink& sink) {
    MemberReader reader(packed, coding, password, history);
    std::vector<std::uint8_t> piece(kPiece);
    while (const std::size_t n = reader.read(piece.data(), piece.size())) sink.write(piece.data(), n);
}

}  // namespace unace
