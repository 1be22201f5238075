// Unpacking one member's packed stream: decryption, the method (stored, LZ77, blocked), the
// checksum. The history window is the caller's, so that a solid archive's members share it.
// Part of platform/standins/unace.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/HistoryWindow.h"
#include "platform/standins/unace/OutputSink.h"

namespace unace {

struct MemberCoding {
    unsigned method = 0;  // 0 stored, 1 LZ77, 2 blocked
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool solid = false;  // builds on the history of the members before it
    bool encrypted = false;
};

// Writes the member's `size` bytes to `sink` and checks them against `crc`. Throws AceError:
// ACE_ERROR_PASSWORD (encrypted, no password), ACE_ERROR_METHOD, ACE_ERROR_DATA, ACE_ERROR_CRC.
// After a failure the sink has had part of the data at most; the history holds what was
// unpacked.
void unpackMember(ByteSource& packed, const MemberCoding& coding, std::string_view password, HistoryWindow& history,
                  OutputSink& sink);

}  // namespace unace
