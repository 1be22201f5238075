// SPDX-License-Identifier: Apache-2.0
// ACE 2.0's "blocked" method: the LZ77 coder whose stream switches between modes (plain,
// DELTA and EXE filters over LZ77, SOUND, PIC). Part of platform/standins/unace.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/HistoryWindow.h"
#include "platform/standins/unace/OutputSink.h"

namespace unace {

// Writes exactly `size` unpacked bytes to `sink`, one stretch per step.
class BlockedDecoder {
public:
    BlockedDecoder(BitReader& in, HistoryWindow& history, std::uint64_t size, OutputSink& sink);
    ~BlockedDecoder();
    bool finished() const;
    // Decodes the next stretch (at most a DELTA block or 64 KiB plus a few held-back bytes) into
    // the sink; it may write nothing. Throws AceError on damaged data.
    void step();

private:
    class State;
    std::unique_ptr<State> state_;
};

}  // namespace unace
