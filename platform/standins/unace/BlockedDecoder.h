// ACE 2.0's "blocked" method: the LZ77 coder whose stream switches between modes (plain,
// DELTA and EXE filters over LZ77, SOUND, PIC). Part of platform/standins/unace.
#pragma once

#include <cstdint>

#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/HistoryWindow.h"
#include "platform/standins/unace/OutputSink.h"

namespace unace {

// Writes exactly `size` unpacked bytes to `sink`; throws AceError on damaged data.
void unpackBlocked(BitReader& in, HistoryWindow& history, std::uint64_t size, OutputSink& sink);

}  // namespace unace
