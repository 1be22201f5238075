// SPDX-License-Identifier: Apache-2.0
// Unpacking one member's packed stream: decryption, the method (stored, LZ77, blocked), the
// checksum. The history window is the caller's, so that a solid archive's members share it.
// Part of platform/standins/unace.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/standins/unace/AceCipher.h"
#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/BlockedDecoder.h"
#include "platform/standins/unace/HistoryWindow.h"
#include "platform/standins/unace/Lz77Decoder.h"
#include "platform/standins/unace/OutputSink.h"

namespace unace {

struct MemberCoding {
    unsigned method = 0;  // 0 stored, 1 LZ77, 2 blocked
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool solid = false;  // builds on the history of the members before it
    bool encrypted = false;
};

// A member's unpacked bytes, read piece by piece. Errors are AceError: ACE_ERROR_PASSWORD
// (encrypted, no password), ACE_ERROR_METHOD, ACE_ERROR_DATA, ACE_ERROR_CRC. The end (0) comes
// only after the checksum matched, so a reader that stops at an error never takes damaged
// bytes for a whole member. The history window takes every byte unpacked.
class MemberReader {
public:
    MemberReader(ByteSource& packed, const MemberCoding& coding, std::string_view password, HistoryWindow& history);
    ~MemberReader();
    MemberReader(const MemberReader&) = delete;
    MemberReader& operator=(const MemberReader&) = delete;

    // Up to `capacity` bytes; 0 at the end.
    std::size_t read(std::uint8_t* data, std::size_t capacity);

private:
    class Buffer : public OutputSink {
    public:
        void write(const std::uint8_t* data, std::size_t size) override {
            bytes.insert(bytes.end(), data, data + size);
        }
        std::vector<std::uint8_t> bytes;
        std::size_t pos = 0;
    };
    void refill();

    MemberCoding coding_;
    HistoryWindow& history_;
    std::optional<DecryptingSource> decrypted_;
    ByteSource* source_ = nullptr;
    std::unique_ptr<BitReader> bits_;
    std::unique_ptr<Lz77Decoder> lz77_;
    std::unique_ptr<BlockedDecoder> blocked_;
    Buffer buffer_;
    std::uint64_t produced_ = 0;
    std::uint32_t crc_;
    bool checked_ = false;
};

// The whole member into `sink` (for testing an entry, or catching up on a solid archive).
void unpackMember(ByteSource& packed, const MemberCoding& coding, std::string_view password, HistoryWindow& history,
                  OutputSink& sink);

}  // namespace unace
